# Copies dist/ into the runtime tree; files already there and newer are left alone,
# and init/data.mdb is never overwritten (it holds the user's orders).
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f IN LISTS files)
  if(f STREQUAL "init/data.mdb" AND EXISTS ${DST}/${f})
    continue()
  endif()
  get_filename_component(dir ${DST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
endforeach()

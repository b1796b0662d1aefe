# What tests and benchmarks share to run on real engines: the database servers (db_servers),
# the desk worker (one process of several on one database) and what runs several of them and
# checks what they left behind (desk_run). Included from tests/ and bench/; defined once.
if(NOT TARGET zd_test_engines)
  add_library(zd_test_engines STATIC ${CMAKE_CURRENT_LIST_DIR}/db_servers.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/desk_run.cpp)
  target_include_directories(zd_test_engines PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(zd_test_engines PUBLIC zd_core)
  add_executable(zd-desk-worker ${CMAKE_CURRENT_LIST_DIR}/desk_worker.cpp)
  target_link_libraries(zd-desk-worker PRIVATE zd_core)
endif()

# The desk worker (one process of several on one database) and what tests and benchmarks
# share to start database servers and run and check several desks. Included from tests/ and
# bench/; defined once.
if(NOT TARGET zd_desk_support)
  add_library(zd_desk_support STATIC ${CMAKE_CURRENT_LIST_DIR}/lib/db_servers.cpp
                                     ${CMAKE_CURRENT_LIST_DIR}/lib/desk_run.cpp)
  target_include_directories(zd_desk_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/lib)
  target_link_libraries(zd_desk_support PUBLIC zd_core)
  add_executable(zd-desk-worker ${CMAKE_CURRENT_LIST_DIR}/worker/desk_worker.cpp)
  target_link_libraries(zd-desk-worker PRIVATE zd_core)
endif()

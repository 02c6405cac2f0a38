if(KORVEL_BUILD_UI)
  korvel_add_bench(bench_client ${CMAKE_CURRENT_LIST_DIR}/client_bench.cpp)
  target_link_libraries(bench_client PRIVATE korvel_ui)
endif()

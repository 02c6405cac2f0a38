if(KORVEL_BUILD_UI)
  korvel_add_bench(bench_rejoin ${CMAKE_CURRENT_LIST_DIR}/rejoin_bench.cpp)
  target_link_libraries(bench_rejoin PRIVATE korvel_ui)
endif()

if(KORVEL_BUILD_UI)
  korvel_add_bench(bench_history ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
  target_link_libraries(bench_history PRIVATE korvel_ui)
endif()

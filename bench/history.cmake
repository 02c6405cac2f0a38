if(KORVEL_BUILD_UI)
  korvel_add_bench(bench_history ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
  target_link_libraries(bench_history PRIVATE korvel_ui)
  target_compile_definitions(bench_history PRIVATE
    KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}")
  add_dependencies(bench_history korvel_text_demo)
endif()

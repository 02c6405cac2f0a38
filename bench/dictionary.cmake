korvel_add_bench(bench_isword ${CMAKE_CURRENT_LIST_DIR}/isword_bench.cpp)
target_compile_definitions(bench_isword PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}")
add_dependencies(bench_isword korvel_text_demo)

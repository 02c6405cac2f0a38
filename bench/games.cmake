korvel_add_bench(bench_games ${CMAKE_CURRENT_LIST_DIR}/games_bench.cpp)
target_compile_definitions(bench_games PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}")
add_dependencies(bench_games korvel_text_demo)

korvel_add_bench(bench_bot ${CMAKE_CURRENT_LIST_DIR}/bot_bench.cpp)
target_compile_definitions(bench_bot PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}"
  KORVEL_COMMON_WORDS="${KORVEL_COMMON_WORDS}"
  KORVEL_KNOWN_WORDS="${KORVEL_KNOWN_WORDS}" KORVEL_LEAVE_TABLE="${KORVEL_LEAVE_TABLE}")
add_dependencies(bench_bot korvel_text_demo)

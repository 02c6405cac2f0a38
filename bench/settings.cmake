korvel_add_bench(bench_settings ${CMAKE_CURRENT_LIST_DIR}/settings_bench.cpp)

korvel_add_bench(bench_submit ${CMAKE_CURRENT_LIST_DIR}/submit_bench.cpp)

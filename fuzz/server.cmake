korvel_add_fuzzer(fuzz_server ${CMAKE_CURRENT_LIST_DIR}/server_fuzz.cpp)

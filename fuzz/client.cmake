korvel_add_fuzzer(fuzz_client ${CMAKE_CURRENT_LIST_DIR}/client_fuzz.cpp)

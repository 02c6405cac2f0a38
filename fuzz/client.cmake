korvel_add_fuzzer(fuzz_client ${CMAKE_CURRENT_LIST_DIR}/client_fuzz.cpp)
korvel_add_fuzzer(fuzz_reconnect ${CMAKE_CURRENT_LIST_DIR}/reconnect_fuzz.cpp)

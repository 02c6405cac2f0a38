korvel_add_fuzzer(fuzz_decompress ${CMAKE_CURRENT_LIST_DIR}/fuzz_decompress.cpp)
korvel_add_fuzzer(fuzz_roundtrip ${CMAKE_CURRENT_LIST_DIR}/fuzz_roundtrip.cpp)

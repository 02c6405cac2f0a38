korvel_add_fuzzer(fuzz_frames ${CMAKE_CURRENT_LIST_DIR}/fuzz_frames.cpp)
korvel_add_fuzzer(fuzz_text ${CMAKE_CURRENT_LIST_DIR}/fuzz_text.cpp)

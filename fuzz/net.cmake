korvel_add_fuzzer(fuzz_game_record ${CMAKE_CURRENT_LIST_DIR}/game_record_fuzz.cpp)

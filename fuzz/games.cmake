korvel_add_fuzzer(fuzz_game_file ${CMAKE_CURRENT_LIST_DIR}/game_file_fuzz.cpp)

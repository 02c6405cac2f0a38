korvel_add_fuzzer(fuzz_leave_values ${CMAKE_CURRENT_LIST_DIR}/leave_values_fuzz.cpp)
korvel_add_fuzzer(fuzz_bot_player ${CMAKE_CURRENT_LIST_DIR}/bot_player_fuzz.cpp)

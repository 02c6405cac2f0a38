korvel_add_fuzzer(fuzz_game_record ${CMAKE_CURRENT_LIST_DIR}/game_record_fuzz.cpp)
korvel_add_fuzzer(fuzz_port_mapping ${CMAKE_CURRENT_LIST_DIR}/port_mapping_fuzz.cpp)
korvel_add_fuzzer(fuzz_resolve_plan ${CMAKE_CURRENT_LIST_DIR}/resolve_plan_fuzz.cpp)

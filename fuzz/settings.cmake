korvel_add_fuzzer(fuzz_ini ${CMAKE_CURRENT_LIST_DIR}/fuzz_ini.cpp)

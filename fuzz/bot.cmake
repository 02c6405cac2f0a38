korvel_add_fuzzer(fuzz_leave_values ${CMAKE_CURRENT_LIST_DIR}/leave_values_fuzz.cpp)

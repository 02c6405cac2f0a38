korvel_add_fuzzer(fuzz_isword ${CMAKE_CURRENT_LIST_DIR}/isword_fuzz.cpp)
target_compile_definitions(fuzz_isword PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}")
add_dependencies(fuzz_isword korvel_text_demo)

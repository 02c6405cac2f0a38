korvel_add_test(records_tests
  ${CMAKE_CURRENT_LIST_DIR}/lzrw1_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzrw1_tool_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/regular_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tally_record_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tally_store_test.cpp
)
add_dependencies(records_tests korvel-lzrw1)
target_compile_definitions(records_tests PRIVATE
  KORVEL_COMPRESS_VECTORS="${CMAKE_SOURCE_DIR}/../shared/compress-vectors"
  KORVEL_LZRW1_TOOL="$<TARGET_FILE:korvel-lzrw1>")

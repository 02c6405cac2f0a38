korvel_add_test(dictionary_tests
  ${CMAKE_CURRENT_LIST_DIR}/tdictn_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_blob_test.cpp
)
target_compile_definitions(dictionary_tests PRIVATE
  KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}"
  KORVEL_WORDS_TXT="${CMAKE_SOURCE_DIR}/resources/wordlist/words.txt")
add_dependencies(dictionary_tests korvel_text_demo)

if(KORVEL_BUILD_UI)
  korvel_add_test(dictionary_ui_tests UI ${CMAKE_CURRENT_LIST_DIR}/word_list_blob_test.cpp)
  target_compile_definitions(dictionary_ui_tests PRIVATE
    KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}")
  add_dependencies(dictionary_ui_tests korvel_text_demo)
endif()

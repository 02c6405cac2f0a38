korvel_add_test(bot_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/move_generator_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bot_player_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/equity_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/level_words_test.cpp
)
target_compile_definitions(bot_core_tests PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}"
  KORVEL_COMMON_WORDS="${KORVEL_COMMON_WORDS}" KORVEL_KNOWN_WORDS="${KORVEL_KNOWN_WORDS}")
add_dependencies(bot_core_tests korvel_text_demo)
if(KORVEL_BUILD_UI)
  korvel_add_test(bot_ui_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/computer_player_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
endif()

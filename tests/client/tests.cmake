# The client's Qt-free rules: the mirror, the game log, saved games, chat lines, tables.
korvel_add_test(client_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/colour_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chat_line_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leave_question_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_log_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/saved_games_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror_reconnect_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/turn_alert_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_tables_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/seat_keys_test.cpp
)

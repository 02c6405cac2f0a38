if(KORVEL_BUILD_UI)
  korvel_add_test(tchat_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/tchat_startup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tchat_game_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tchat_chat_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/peer_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sound_player_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/artwork_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tchat_options_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clock_contrast_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tchat_history_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tchat_others_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_tables_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  korvel_add_test(high_density_tests UI ${CMAKE_CURRENT_LIST_DIR}/high_density_test.cpp)
  korvel_add_test(zoom_tests UI ${CMAKE_CURRENT_LIST_DIR}/zoom_test.cpp)
endif()
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
)

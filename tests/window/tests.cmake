# The main window and its widgets, on the offscreen platform.
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
    ${CMAKE_CURRENT_LIST_DIR}/tchat_reconnect_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_tables_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  korvel_add_test(high_density_tests UI ${CMAKE_CURRENT_LIST_DIR}/high_density_test.cpp)
  korvel_add_test(zoom_tests UI ${CMAKE_CURRENT_LIST_DIR}/zoom_test.cpp)
endif()

list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tchat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_player.cpp
)

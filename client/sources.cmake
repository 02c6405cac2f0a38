list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/colour_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_mirror_rack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chat_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phrases.cpp
)
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel_widgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/peer_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_board.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_chat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_phrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_window.cpp
)

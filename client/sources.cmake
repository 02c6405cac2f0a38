list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tchat_window.cpp
)

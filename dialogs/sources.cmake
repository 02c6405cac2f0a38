list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tabout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tspylist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thelp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tgamestart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tphrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ttallylist.cpp
)

list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/help_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lobby_installer.cpp
)
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dialog_look.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_cli.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tabout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tspylist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thelp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tgamestart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tphrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ttallylist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tplaywithothers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/network_games_view.cpp
)
# The installer download (libcurl) and the download dialog's picture (libjpeg).
if(KORVEL_BUILD_UI)
  find_package(CURL REQUIRED)
  find_package(JPEG REQUIRED)
  list(APPEND KORVEL_UI_LIBRARIES CURL::libcurl JPEG::JPEG)
endif()

# Games on this network: the DNS-SD record and the found-games list (korvel_core), and the Avahi
# adapter that publishes and browses them from Qt's event loop (korvel_ui).
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/game_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_list.cpp
)
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/avahi_poll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avahi_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_publisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_browser.cpp
)
if(KORVEL_BUILD_UI)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(AVAHI_CLIENT REQUIRED IMPORTED_TARGET avahi-client)
  list(APPEND KORVEL_UI_LIBRARIES PkgConfig::AVAHI_CLIENT)
endif()
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/network_games_view.cpp
)

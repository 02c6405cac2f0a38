# Games on this network: the DNS-SD record and the found-games list (korvel_core), and the Avahi
# adapter that publishes and browses them on threads of their own (korvel_ui). The router's port
# mapping: what to ask and what the answers mean (korvel_core), the NAT-PMP and UPnP requests
# (libnatpmp; miniupnpc's parsers over libcurl's bounded exchanges) and their worker thread
# (korvel_ui).
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/game_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resolve_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_mapping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/router_discovery.cpp
)
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/avahi_poll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avahi_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avahi_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_publisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nat_pmp_router.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upnp_router.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_mapping_service.cpp
)
if(KORVEL_BUILD_UI)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(AVAHI_CLIENT REQUIRED IMPORTED_TARGET avahi-client)
  list(APPEND KORVEL_UI_LIBRARIES PkgConfig::AVAHI_CLIENT)
  pkg_check_modules(MINIUPNPC REQUIRED IMPORTED_TARGET miniupnpc)
  find_path(NATPMP_INCLUDE_DIR natpmp.h REQUIRED)
  find_library(NATPMP_LIBRARY natpmp REQUIRED)
  find_package(CURL REQUIRED)
  list(APPEND KORVEL_UI_LIBRARIES PkgConfig::MINIUPNPC ${NATPMP_LIBRARY} CURL::libcurl)
endif()

list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/computer_player_count.cpp
  ${CMAKE_CURRENT_LIST_DIR}/failure_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/host_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hosting_help.cpp
  ${CMAKE_CURRENT_LIST_DIR}/player_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recent_hosts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_environment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_zoom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zoom_fit.cpp
)

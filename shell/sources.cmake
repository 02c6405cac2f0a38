list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/message_boxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_guard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_location.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_restart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/turn_notifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/end_requests.cpp
)

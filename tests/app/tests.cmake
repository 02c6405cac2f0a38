korvel_add_test(app_tests
  ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/failure_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/handoff_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_log_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_with_others_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_environment_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zoom_fit_test.cpp
)
if(KORVEL_BUILD_UI)
  korvel_add_test(message_boxes_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/desktop_services_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_boxes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program_restart_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/turn_notifier_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  # Whole-program tests start the built korvel with their own runtime directory and ports.
  korvel_add_test(program_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/instance_guard_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  target_compile_definitions(program_tests PRIVATE KORVEL_EXE="$<TARGET_FILE:korvel>")
  add_dependencies(program_tests korvel)
endif()

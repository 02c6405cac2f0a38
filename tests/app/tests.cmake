korvel_add_test(app_tests
  ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry_test.cpp
)
if(KORVEL_BUILD_UI)
  korvel_add_test(instance_guard_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/instance_guard_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  # Whole-process tests start the built program with their own runtime directory.
  target_compile_definitions(instance_guard_tests PRIVATE KORVEL_EXE="$<TARGET_FILE:korvel>")
  add_dependencies(instance_guard_tests korvel)
endif()

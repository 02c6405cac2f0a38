korvel_add_test(dialogs_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/installer_rules_test.cpp
)
if(KORVEL_BUILD_UI)
  korvel_add_test(dialogs_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/tgamestart_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tgamestart_settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ttallylist_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tspylist_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/thelp_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tdownload_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tplaywithothers_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
endif()

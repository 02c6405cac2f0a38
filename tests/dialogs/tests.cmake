if(KORVEL_BUILD_UI)
  korvel_add_test(dialogs_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/tgamestart_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
endif()

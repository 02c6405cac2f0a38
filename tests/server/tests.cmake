korvel_add_test(server_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/seats_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bag_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/turns_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/submit_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mends_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kept_seat_test.cpp
)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/move_check.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/move_check.cmake)
endif()
if(KORVEL_BUILD_UI)
  korvel_add_test(server_loopback_tests UI ${CMAKE_CURRENT_LIST_DIR}/loopback_test.cpp)
  target_compile_definitions(server_loopback_tests PRIVATE
    KORVEL_LOOPBACK_TRANSCRIPT="${CMAKE_CURRENT_LIST_DIR}/loopback_game.transcript")
  korvel_add_test(server_rejoin_tests UI ${CMAKE_CURRENT_LIST_DIR}/rejoin_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp)
endif()

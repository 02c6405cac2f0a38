korvel_add_test(move_check_tests
  ${CMAKE_CURRENT_LIST_DIR}/move_check_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/board_test.cpp
)

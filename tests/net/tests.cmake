korvel_add_test(net_tests
  ${CMAKE_CURRENT_LIST_DIR}/game_record_test.cpp
)

korvel_add_test(protocol_tests
  ${CMAKE_CURRENT_LIST_DIR}/message_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receive_queue_test.cpp
)

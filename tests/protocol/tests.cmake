korvel_add_test(protocol_tests
  ${CMAKE_CURRENT_LIST_DIR}/message_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receive_queue_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_encoding_test.cpp
)

if(KORVEL_BUILD_UI)
  korvel_add_test(tsock_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/tsock_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tsock_test_main.cpp
  )
endif()

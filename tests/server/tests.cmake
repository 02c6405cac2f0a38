korvel_add_test(server_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/seats_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bag_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/turns_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/submit_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mends_test.cpp
)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/move_check.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/move_check.cmake)
endif()

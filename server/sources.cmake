# Sources of server/: append to KORVEL_CORE_SOURCES (no Qt) or KORVEL_UI_SOURCES (Qt).
list(APPEND KORVEL_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/board.cpp ${CMAKE_CURRENT_LIST_DIR}/move_check.cpp)

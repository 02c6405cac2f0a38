# Sources of records/: append to KORVEL_CORE_SOURCES (no Qt) or KORVEL_UI_SOURCES (Qt).
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/lzrw1kh_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzh_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzrw1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/regular_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tally_grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tally_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tally_store.cpp
)

# Sources of dictionary/: append to KORVEL_CORE_SOURCES (no Qt) or KORVEL_UI_SOURCES (Qt).
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tdictn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_blob.cpp
)
list(APPEND KORVEL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/word_list_blob.cpp
)

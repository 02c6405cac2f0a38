# Renders all artwork onto one PNG for looking at it: ninja korvel-art-sheet, then
# build/korvel-art-sheet sheet.png [RATIO]. Not part of the default build.
if(KORVEL_BUILD_UI)
  add_executable(korvel-art-sheet EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/art_sheet.cpp)
  target_link_libraries(korvel-art-sheet PRIVATE korvel_ui)
endif()

# Renders all artwork onto one PNG for looking at it: ninja korvel-art-sheet, then
# build/korvel-art-sheet sheet.png [RATIO]. Not part of the default build.
if(KORVEL_BUILD_UI)
  add_executable(korvel-art-sheet EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/art_sheet.cpp)
  target_link_libraries(korvel-art-sheet PRIVATE korvel_ui)
endif()

# Renders the main window in the middle of a game for the README: ninja korvel-screenshot, then
# build/korvel-screenshot docs/screenshot.png. Not part of the default build.
if(KORVEL_BUILD_UI)
  add_executable(korvel-screenshot EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
  target_link_libraries(korvel-screenshot PRIVATE korvel_ui)
endif()

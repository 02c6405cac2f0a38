# korvel-browse: lists the games found on this network for a few seconds (ninja korvel-browse,
# then build/korvel-browse [SECONDS]). Not part of the default build; the tests build it.
if(KORVEL_BUILD_UI)
  add_executable(korvel-browse EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/browse_tool.cpp)
  target_link_libraries(korvel-browse PRIVATE korvel_ui)
endif()

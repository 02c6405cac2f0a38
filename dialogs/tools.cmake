# Draws the lobby download dialog's picture: ninja korvel-download-banner, then
# build/korvel-download-banner resources/pictures/download.jpg, and again with
# resources/pictures/download@2x.jpg 2. Not part of the default build.
if(KORVEL_BUILD_UI)
  add_executable(korvel-download-banner EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/download_banner.cpp)
  target_link_libraries(korvel-download-banner PRIVATE korvel_ui)
endif()

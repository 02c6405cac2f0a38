# Command-line tool for making and inspecting compressed containers.
add_executable(korvel-lzrw1 ${CMAKE_CURRENT_LIST_DIR}/lzrw1_tool.cpp)
target_link_libraries(korvel-lzrw1 PRIVATE korvel_core)

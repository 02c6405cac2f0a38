# Command-line tools of the computer players, plain C++ on korvel_core:
#   korvel-match         two levels against each other (figures in the README)
#   korvel-train-leaves  learns resources/leaves/leaves.txt by self-play (not built by default)
set(KORVEL_COMMON_WORDS ${CMAKE_SOURCE_DIR}/resources/commonwords/words.txt)
set(KORVEL_KNOWN_WORDS ${CMAKE_SOURCE_DIR}/resources/commonwords/known.txt)
set(KORVEL_LEAVE_TABLE ${CMAKE_SOURCE_DIR}/resources/leaves/leaves.txt)
find_package(Threads REQUIRED)
foreach(tool match train_leaves)
  string(REPLACE "_" "-" name "korvel-${tool}")
  add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${tool}_main.cpp)
  target_link_libraries(${name} PRIVATE korvel_core Threads::Threads)
  target_compile_definitions(${name} PRIVATE KORVEL_TEXT_DEMO_BLOB="${KORVEL_TEXT_DEMO_BLOB}"
    KORVEL_COMMON_WORDS="${KORVEL_COMMON_WORDS}"
    KORVEL_KNOWN_WORDS="${KORVEL_KNOWN_WORDS}" KORVEL_LEAVE_TABLE="${KORVEL_LEAVE_TABLE}")
  add_dependencies(${name} korvel_text_demo)
endforeach()
set_target_properties(korvel-train-leaves PROPERTIES EXCLUDE_FROM_ALL TRUE)

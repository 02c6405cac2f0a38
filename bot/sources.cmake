# Sources of bot/: the move search and the computer player's mind are plain C++ (korvel_core);
# the computer player's connection is Qt (korvel_ui).
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/lexicon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/move_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bot_player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/self_play.cpp
)
list(APPEND KORVEL_UI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/computer_player.cpp)
list(APPEND KORVEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/level.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leave_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/equity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/endgame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/easy_choice.cpp
)

korvel_add_test(net_tests
  ${CMAKE_CURRENT_LIST_DIR}/game_record_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_mapping_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resolve_plan_test.cpp
)
if(KORVEL_BUILD_UI)
  # The NAT-PMP and UPnP requests against stand-in routers on loopback, and their worker.
  korvel_add_test(port_mapping_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/port_mapping_service_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_router.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  # The games table, and a whole-program test across two network namespaces (as root; skipped
  # otherwise) with private daemons started by avahi_scope.sh. Its guest and stranger halves run
  # only when that test starts them inside the namespaces, never as tests of their own.
  korvel_add_test(network_games_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/network_games_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
    FILTER "-NetworkGamesGuest.*:NetworkGamesStranger.*"
  )
  target_compile_definitions(network_games_tests PRIVATE KORVEL_EXE="$<TARGET_FILE:korvel>"
    AVAHI_SCOPE="${CMAKE_CURRENT_LIST_DIR}/avahi_scope.sh")
  add_dependencies(network_games_tests korvel)
endif()
if(KORVEL_BUILD_UI)
  # The host behind a home router: three network namespaces, miniupnpd in the middle one started
  # by router_scope.sh (as root; skipped otherwise).
  korvel_add_test(router_mapping_tests UI
    ${CMAKE_CURRENT_LIST_DIR}/router_mapping_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/qt_test_main.cpp
  )
  target_compile_definitions(router_mapping_tests PRIVATE KORVEL_EXE="$<TARGET_FILE:korvel>"
    ROUTER_SCOPE="${CMAKE_CURRENT_LIST_DIR}/router_scope.sh")
  add_dependencies(router_mapping_tests korvel)
endif()

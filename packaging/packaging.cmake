# Install rules (cmake --install) and the Debian package (cpack -G DEB): the program, its desktop
# entry, AppStream metainfo, icons and documentation in the usual places of a Linux prefix.
include(GNUInstallDirs)

set(KORVEL_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The PNG icons, drawn by our own small tool (no SVG renderer needed at build time).
add_executable(korvel-icon ${KORVEL_PACKAGING_DIR}/icon_tool.cpp)
target_link_libraries(korvel-icon PRIVATE Qt6::Gui)
set(KORVEL_ICON_SIZES 48 64 128 256)
set(icon_files)
foreach(size ${KORVEL_ICON_SIZES})
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/korvel.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND korvel-icon ${size} ${png}
    DEPENDS korvel-icon
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM
  )
  list(APPEND icon_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(korvel_icons ALL DEPENDS ${icon_files})

install(TARGETS korvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KORVEL_PACKAGING_DIR}/korvel.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KORVEL_PACKAGING_DIR}/korvel.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KORVEL_PACKAGING_DIR}/korvel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The README keeps its picture beside it under the same relative path.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/screenshot.png DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES ${CMAKE_SOURCE_DIR}/resources/wordlist/LICENSE
  ${CMAKE_SOURCE_DIR}/resources/wordlist/README.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/wordlist)

# An installed program finds its desktop entry at this path from its own folder; that is how it
# knows to keep settings and tally in the per-user folders (shell/settings_location.cpp).
file(RELATIVE_PATH KORVEL_INSTALLED_DESKTOP_ENTRY ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/applications/korvel.desktop)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/shell/settings_location.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS KORVEL_INSTALLED_DESKTOP_ENTRY="${KORVEL_INSTALLED_DESKTOP_ENTRY}")

# Debian package: scripts/make-deb.sh builds it. dpkg-shlibdeps finds the libraries the program
# links (Qt 6 and what they need); the fonts it draws with are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn-based word game on a board of letter tiles")
set(CPACK_PACKAGE_DESCRIPTION
  "Korvel is a turn-based word game for up to four players, with up to five more watching.
Players lay letter tiles from their rack on an 11 by 11 board to form English words and chat
with each other. Started without arguments it plays a solo game; it can also host a game on
TCP port 7772 for friends on the network, or join one.")
set(KORVEL_PACKAGE_MAINTAINER "Korvel maintainers <maintainers@korvel.invalid>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Arial" resolves to Liberation Sans; sound plays through libqt6multimedia6, which carries its
# own backend plugins and is found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# Web addresses open through xdg-open (or $BROWSER without it).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

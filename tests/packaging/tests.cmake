# The desktop entry and AppStream metainfo pass their validators (packages desktop-file-utils and
# appstream), and an install into a temporary folder holds exactly the files the rules promise.
if(KORVEL_BUILD_UI)
  add_test(NAME packaging_metadata_valid
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/validate_metadata.sh ${CMAKE_SOURCE_DIR}/packaging)
  add_test(NAME packaging_install_tree
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_tree.sh ${CMAKE_BINARY_DIR}
      ${KORVEL_INSTALLED_DESKTOP_ENTRY} ${KORVEL_ICON_SIZES})
  set_tests_properties(packaging_metadata_valid packaging_install_tree PROPERTIES TIMEOUT 60)
endif()

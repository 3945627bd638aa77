# Read by CPack once per package kind. The Debian package installs into /usr with DESTDIR,
# so that the menu entry names /usr/bin/brivola-composer, not the staging folder; the
# zip holds what the two Windows builds install.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_BRIVOLA_DEBIAN_PROJECTS}")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-windows")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_BRIVOLA_WINDOWS_PROJECTS}")
endif()

# Release artefacts with cpack: a Debian package from the native build
# (window, command line, library, header, pkg-config file, desktop entry,
# icon) and a zip from the Windows build (syscode.exe, syscode-cli.exe,
# README).
set(CPACK_PACKAGE_NAME syscode)
set(CPACK_PACKAGE_VENDOR "syscode")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Identifies this computer by a short system code")
set(CPACK_PACKAGE_CONTACT "syscode maintainers <maintainers@syscode.invalid>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# Release programs without their debug information.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL Unspecified)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Identifies this computer by a short system code\n The system code binds a licence to a machine: 25 capital letters and digits\n derived from the processor, BIOS, base-board and disk identifiers.")
endif()
include(CPack)

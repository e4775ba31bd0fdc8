# The one place the version lives: --version, the Windows version resource
# and the packages all take it from here.
set(SYSCODE_VERSION ${PROJECT_VERSION})
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/syscode/version.h @ONLY)

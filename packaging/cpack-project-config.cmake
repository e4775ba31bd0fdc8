# Read by cpack before it makes the packages (through the build's generated
# cpack-project-config.cmake, which sets SYSCODE_SHARED_LIBRARY).
#
# libsyscode1's Depends come from dpkg-shlibdeps run here on the built
# library: the package is made without cpack's own dependency scan, because
# that scan also gives it maintainer scripts calling ldconfig, where Debian
# wants the ldconfig trigger the package carries instead.
if(CPACK_GENERATOR STREQUAL "DEB" AND SYSCODE_SHARED_LIBRARY)
  set(_work "${CPACK_PACKAGE_DIRECTORY}/_shlibdeps")
  file(REMOVE_RECURSE "${_work}")
  file(MAKE_DIRECTORY "${_work}/debian")
  file(TOUCH "${_work}/debian/control")
  execute_process(
    COMMAND dpkg-shlibdeps -O "${SYSCODE_SHARED_LIBRARY}"
    WORKING_DIRECTORY "${_work}"
    RESULT_VARIABLE _rc
    OUTPUT_VARIABLE _out
    ERROR_VARIABLE _err)
  file(REMOVE_RECURSE "${_work}")
  if(NOT _rc EQUAL 0 OR NOT _out MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps on ${SYSCODE_SHARED_LIBRARY} failed: ${_err}")
  endif()
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
endif()

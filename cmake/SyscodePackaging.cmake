# Release artefacts with cpack.
#
# The native build gives Debian packages, one per install component, split
# as Debian splits a library and the programs around it:
#   libsyscode1      component library      the shared library
#   libsyscode-dev   component development  header, .so link, static library,
#                                           CMake package, pkg-config file
#   syscode-cli      component cli          the command line (no Qt)
#   syscode          component window       the Qt window, desktop entry, icons
#   python3-syscode  component python       the Python module, when the build
#                                           installs one
# Every package carries the machine-readable copyright, the Debian changelog
# and, for a program, its man page (packaging/).
#
# The Windows build gives one zip whose entries all sit in the folder
# syscode-<version>-windows-x64/: the two programs, the library for a
# vendor (component development), the README and the licence notices.
include(GNUInstallDirs)

set(SYSCODE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(_packaging_out ${CMAKE_BINARY_DIR}/packaging)

set(CPACK_PACKAGE_NAME syscode)
set(CPACK_PACKAGE_VENDOR "syscode")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "syscode maintainers <maintainers@syscode.invalid>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Release programs and libraries without their debug information.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
                ${SYSCODE_PACKAGING_DIR}/windows/THIRD-PARTY-NOTICES.txt
          DESTINATION . COMPONENT documentation)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  # Every component (syscode.exe has none: "Unspecified") in one archive
  # under one top-level folder; the plain CPACK_INCLUDE_TOPLEVEL_DIRECTORY
  # is ignored for component installs.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

# ---- Debian packages --------------------------------------------------------

set(SYSCODE_DEBIAN_REVISION 1)
set(SYSCODE_DEBIAN_VERSION ${PROJECT_VERSION}-${SYSCODE_DEBIAN_REVISION})

set(_packages library libsyscode${PROJECT_VERSION_MAJOR}
              development libsyscode-dev
              cli syscode-cli
              window syscode)
get_cmake_property(_components COMPONENTS)
if("python" IN_LIST _components)
  list(APPEND _packages python python3-syscode)
endif()

# The changelog, compressed as Debian ships it; the man pages, from the
# programs' own help where there is one.
configure_file(${SYSCODE_PACKAGING_DIR}/debian/changelog.in ${_packaging_out}/changelog.Debian @ONLY)
find_program(SYSCODE_GZIP gzip REQUIRED)
set(_doc_outputs ${_packaging_out}/changelog.Debian.gz)
add_custom_command(
  OUTPUT ${_packaging_out}/changelog.Debian.gz
  COMMAND ${SYSCODE_GZIP} -9nc changelog.Debian > changelog.Debian.gz
  DEPENDS ${_packaging_out}/changelog.Debian
  WORKING_DIRECTORY ${_packaging_out}
  COMMENT "Compressing the Debian changelog"
  VERBATIM)

string(TIMESTAMP SYSCODE_MAN_DATE "%B %Y" UTC)
find_program(SYSCODE_HELP2MAN help2man)
# help2man runs the freshly built program; a sanitizer build, which is never
# packaged, does without the page.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(_run_built_programs OFF)
else()
  set(_run_built_programs ON)
endif()
if(TARGET syscode-cli AND SYSCODE_HELP2MAN AND _run_built_programs)
  set(_page ${_packaging_out}/syscode-cli.1)
  add_custom_command(
    OUTPUT ${_page}.gz
    COMMAND ${SYSCODE_HELP2MAN} --no-info --no-discard-stderr
            --include=${SYSCODE_PACKAGING_DIR}/man/syscode-cli.h2m
            --output=${_page} $<TARGET_FILE:syscode-cli>
    COMMAND ${SYSCODE_GZIP} -9nf ${_page}
    DEPENDS syscode-cli ${SYSCODE_PACKAGING_DIR}/man/syscode-cli.h2m
    COMMENT "Making the man page of syscode-cli from its --help"
    VERBATIM)
  list(APPEND _doc_outputs ${_page}.gz)
  install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
elseif(TARGET syscode-cli AND _run_built_programs)
  message(STATUS "help2man not found: no man page for syscode-cli (scripts/setup --all installs it)")
endif()
if(TARGET syscode)
  set(_page ${_packaging_out}/syscode.1)
  configure_file(${SYSCODE_PACKAGING_DIR}/man/syscode.1.in ${_page} @ONLY)
  add_custom_command(
    OUTPUT ${_page}.gz
    COMMAND ${SYSCODE_GZIP} -9nc syscode.1 > syscode.1.gz
    DEPENDS ${_page}
    WORKING_DIRECTORY ${_packaging_out}
    COMMENT "Compressing the man page of syscode"
    VERBATIM)
  list(APPEND _doc_outputs ${_page}.gz)
  install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
endif()
add_custom_target(syscode_package_docs ALL DEPENDS ${_doc_outputs})

# Each package's /usr/share/doc/<package>: copyright and changelog (only
# the packages want them, so a plain `cmake --install` leaves them out),
# the README beside the programs.
while(_packages)
  list(POP_FRONT _packages _component _package)
  string(TOUPPER ${_component} _upper)
  set(CPACK_DEBIAN_${_upper}_PACKAGE_NAME ${_package})
  set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/${_package})
  install(FILES ${SYSCODE_PACKAGING_DIR}/debian/copyright ${_packaging_out}/changelog.Debian.gz
          DESTINATION ${_docdir} COMPONENT ${_component} EXCLUDE_FROM_ALL)
  list(APPEND CPACK_COMPONENTS_ALL ${_component})
endwhile()
# A stripped install also drops the compiler's .comment and .note notes
# from the programs and the shared library, as Debian's dh_strip does (the
# install rules strip only the debug information).
if(CMAKE_STRIP)
  foreach(_item "syscode-cli;cli;${CMAKE_INSTALL_BINDIR}" "syscode;window;${CMAKE_INSTALL_BINDIR}"
                "syscode_shared;library;${CMAKE_INSTALL_LIBDIR}")
    list(GET _item 0 _target)
    list(GET _item 1 _component)
    list(GET _item 2 _dir)
    if(TARGET ${_target})
      install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
          set(_file \"${_dir}/$<TARGET_FILE_NAME:${_target}>\")
          if(NOT IS_ABSOLUTE \"\${_file}\")
            set(_file \"\${CMAKE_INSTALL_PREFIX}/\${_file}\")
          endif()
          execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                  \"\$ENV{DESTDIR}\${_file}\" RESULT_VARIABLE _rc)
          if(NOT _rc EQUAL 0)
            message(FATAL_ERROR \"stripping \${_file} failed\")
          endif()
        endif()" COMPONENT ${_component})
    endif()
  endforeach()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/syscode-cli COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/syscode COMPONENT window)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SYSCODE_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# The synopsis is each description's first line (no package-wide summary is
# set, which cpack would put before every one of them).
set(_about "The system code identifies a computer by 25 capital letters and digits\n\
derived from its processor, BIOS, base-board and disk identifiers, so that a\n\
vendor can bind a licence to the machine. On Linux the identifiers come from\n\
syscode's own layer that answers the Windows WMI classes from Linux sources.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "library computing the system code of a computer\n\
${_about}\n\
\n\
This package contains the shared library, for programs that compute this\n\
machine's code or the code of values recorded in a customer's log.")
# The library's control files: shlibs and symbols for dpkg-shlibdeps, and
# the ldconfig trigger in place of maintainer scripts. Its dependencies are
# worked out at packaging time (packaging/cpack-project-config.cmake): the
# automatic way would also add maintainer scripts that call ldconfig.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SHLIBDEPS OFF)
configure_file(${SYSCODE_PACKAGING_DIR}/debian/shlibs.in ${_packaging_out}/library/shlibs @ONLY)
configure_file(${SYSCODE_PACKAGING_DIR}/debian/libsyscode1.symbols ${_packaging_out}/library/symbols COPYONLY)
configure_file(${SYSCODE_PACKAGING_DIR}/debian/triggers ${_packaging_out}/library/triggers COPYONLY)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    ${_packaging_out}/library/shlibs ${_packaging_out}/library/symbols ${_packaging_out}/library/triggers)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libsyscode${PROJECT_VERSION_MAJOR} (= ${SYSCODE_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "development files for the system code library\n\
${_about}\n\
\n\
This package contains the C and C++ header, the static library, the CMake\n\
package (find_package(syscode)) and the pkg-config file (syscode).")

set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_DESCRIPTION "command line printing the system code of this computer\n\
${_about}\n\
\n\
syscode-cli prints this machine's code, explains which source gave each part,\n\
prints the codes recorded in a customer's diagnostic log (LogD.txt) and runs\n\
WMI queries. It needs no graphical libraries.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation2")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "window showing the system code of this computer\n\
${_about}\n\
\n\
syscode is a small Persian, right-to-left Qt window: one button reads the\n\
hardware and shows the code, another saves it to a text file.")

# The module is Python over the C API (ctypes): the same on every
# architecture, it loads libsyscode.so.1 from libsyscode1.
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3, libsyscode${PROJECT_VERSION_MAJOR} (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "Python 3 module computing the system code of a computer\n\
${_about}\n\
\n\
This package contains the Python 3 module syscode, which uses the shared\n\
library.")

# Read by cpack itself: the library's dependencies from dpkg-shlibdeps.
if(TARGET syscode_shared)
  file(GENERATE OUTPUT ${_packaging_out}/cpack-project-config.cmake CONTENT
"set(SYSCODE_SHARED_LIBRARY \"$<TARGET_FILE:syscode_shared>\")
include(\"${SYSCODE_PACKAGING_DIR}/cpack-project-config.cmake\")
")
  set(CPACK_PROJECT_CONFIG_FILE ${_packaging_out}/cpack-project-config.cmake)
endif()

include(CPack)

# Installs the build into a scratch prefix and checks that the window program
# arrives with what a desktop menu needs: the binary, the desktop entry and
# the icon in the hicolor theme's sizes.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -P install_check.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected bin/syscode share/applications/syscode.desktop)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/syscode.png)
endforeach()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/syscode.desktop" entry)
foreach(line "Exec=syscode" "Icon=syscode" "Type=Application")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "syscode.desktop lacks ${line}")
  endif()
endforeach()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} "${PREFIX}/share/applications/syscode.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${out}")
  endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed: ${expected}")

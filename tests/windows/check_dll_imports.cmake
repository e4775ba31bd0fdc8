cmake_minimum_required(VERSION 3.25)
# Checks that every program and DLL in BIN_DIR imports only DLLs that come
# with Windows itself: the C++ runtime, libgcc and winpthread must be linked in.
#   cmake -DOBJDUMP=... -DBIN_DIR=... -P check_dll_imports.cmake
set(allowed
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll uxtheme.dll msvcrt.dll ws2_32.dll version.dll shlwapi.dll)

file(GLOB programs "${BIN_DIR}/*.exe" "${BIN_DIR}/*.dll")
if(NOT programs)
  message(FATAL_ERROR "no programs in ${BIN_DIR}")
endif()
set(failures "")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${program} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  get_filename_component(name ${program} NAME)
  foreach(line IN LISTS imports)
    string(REGEX REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
      string(APPEND failures "  ${name} imports ${dll}\n")
    endif()
  endforeach()
  message(STATUS "${name}: ${imports}")
endforeach()
if(failures)
  message(FATAL_ERROR "DLLs outside the system set:\n${failures}")
endif()

# Cross-compiled programs run under Wine: CMAKE_CROSSCOMPILING_EMULATOR puts
# scripts/wine-prefix.sh in front of every test (and of the test discovery),
# with a Wine prefix of this build tree's own, made on first use.
find_program(SYSCODE_WINE wine)
if(NOT SYSCODE_WINE)
  message(FATAL_ERROR "Running the Windows tests needs Wine (Debian package wine64)")
endif()
set(SYSCODE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${SYSCODE_WINEPREFIX})

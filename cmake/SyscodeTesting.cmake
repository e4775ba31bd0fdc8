# GoogleTest: Debian's packaged library natively; built from its sources for
# a cross build (Debian's googletest package puts them in /usr/src/googletest;
# set SYSCODE_GOOGLETEST_SOURCE_DIR where they live elsewhere).
if(CMAKE_CROSSCOMPILING)
  set(SYSCODE_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources, built for a cross build")
  if(NOT EXISTS ${SYSCODE_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources not found in ${SYSCODE_GOOGLETEST_SOURCE_DIR}: install googletest or set SYSCODE_GOOGLETEST_SOURCE_DIR")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SYSCODE_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(SYSCODE_GTEST_LIBS gtest gmock gtest_main)
  if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/WineEmulator.cmake)
  endif()
else()
  find_package(GTest REQUIRED)
  set(SYSCODE_GTEST_LIBS GTest::gtest GTest::gmock GTest::gtest_main)
endif()
include(GoogleTest)

# syscode_add_test(NAME SOURCES... [LIBS ...] [PROPERTIES ...]) builds one
# test program and registers its cases with CTest, each with the given test
# properties.
function(syscode_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${SYSCODE_GTEST_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "SYSCODE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data" ${T_PROPERTIES})
endfunction()

# Windows keeps one running object table per session: a fake locator that one
# test registers there is what a test in another process gets back from
# GetActiveObject. Test programs that register the fake or look up the real
# locator therefore never run at the same time as each other.
set(SYSCODE_COM_SESSION_LOCK "")
if(WIN32)
  set(SYSCODE_COM_SESSION_LOCK RESOURCE_LOCK running_object_table)
endif()

# Target helpers: every subsystem folder is one library named plenx_<folder>,
# built from the .cpp files it holds, so a new file needs no list edit.
#
# A file for one system only carries its name as a suffix: <name>_posix.cpp
# is built for Linux, <name>_windows.cpp for Windows (tests alike:
# <name>_posix_test.cpp, <name>_windows_test.cpp). Files without a suffix are
# built for both.
if(WIN32)
  set(PLENX_SYSTEM_SUFFIX windows)
  set(plenx_other_system_suffix posix)
else()
  set(PLENX_SYSTEM_SUFFIX posix)
  set(plenx_other_system_suffix windows)
endif()

# plenx_sources(<variable> <glob patterns...>): the files the patterns find,
# without those of the other system.
function(plenx_sources variable)
  file(GLOB found CONFIGURE_DEPENDS ${ARGN})
  list(FILTER found EXCLUDE REGEX "_${plenx_other_system_suffix}(_test)?\\.cpp$")
  set(${variable} ${found} PARENT_SCOPE)
endfunction()

# plenx_library(<folder> [PUBLIC libraries...] [PRIVATE libraries...]):
# PUBLIC for the libraries that the folder's headers include, PRIVATE for
# those that only its .cpp files use.
function(plenx_library folder)
  cmake_parse_arguments(PARSE_ARGV 1 link "" "" "PUBLIC;PRIVATE")
  plenx_sources(sources ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  set(target plenx_${folder})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${link_PUBLIC} PRIVATE ${link_PRIVATE})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${link_PUBLIC})
  endif()
endfunction()

# plenx_program(<name> <folder> [libraries...]): an executable in build/bin
# from the .cpp files of <folder>; skipped while the folder has none.
function(plenx_program name folder)
  plenx_sources(sources ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARGN})
  endif()
endfunction()

# plenx_tests(<name> [libraries...]): one GoogleTest executable from the
# *_test.cpp files of the calling folder, registered with CTest. In the cross
# build for Windows the program is one CTest test, run under Wine (through
# CMAKE_CROSSCOMPILING_EMULATOR) in the Wine session of tests/windows/.
function(plenx_tests name)
  plenx_sources(sources ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} plenx_testkit GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    PLENX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    PLENX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # Listing the tests would start Wine at build time, before the prefix
    # exists; every start costs, so the program runs as one test.
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    # One null-modem pair serves every test of the session.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK null_modem TIMEOUT 600
                         ENVIRONMENT "${PLENX_WINE_TEST_ENVIRONMENT}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()

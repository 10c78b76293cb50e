# Target helpers: every subsystem folder is one library named plenx_<folder>,
# built from the .cpp files it holds, so a new file needs no list edit.

# plenx_library(<folder> [PUBLIC libraries...] [PRIVATE libraries...]):
# PUBLIC for the libraries that the folder's headers include, PRIVATE for
# those that only its .cpp files use.
function(plenx_library folder)
  cmake_parse_arguments(PARSE_ARGV 1 link "" "" "PUBLIC;PRIVATE")
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
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
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(sources)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARGN})
  endif()
endfunction()

# plenx_tests(<name> [libraries...]): one GoogleTest executable from the
# *_test.cpp files of the calling folder, registered with CTest.
function(plenx_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} plenx_testkit GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    PLENX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    PLENX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

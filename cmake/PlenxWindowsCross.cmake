# What the cross build for Windows (cmake/MingwW64Toolchain.cmake) takes from
# the build machine: CLI11's headers, GoogleTest's sources built with the
# cross compiler, and Wine to run the test programs.

# GCC 12 warns of an overlap that cannot happen when it inlines a string
# concatenation such as "\"" + text + "\"" (its bug 105651); only the
# mingw-w64 build inlines that far.
add_compile_options(-Wno-restrict)

# CLI11 is header-only, but its folder is the build machine's /usr/include,
# which must not come before mingw-w64's own C headers: only the CLI folder
# is copied into the build tree and put on the include path.
find_path(PLENX_HOST_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PLENX_HOST_CLI11_DIR)
  message(FATAL_ERROR "CLI11 was not found in /usr/include/CLI (Debian: apt-get install libcli11-dev)")
endif()
file(COPY ${PLENX_HOST_CLI11_DIR}/CLI DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/host-headers)

if(PLENX_BUILD_TESTS)
  set(PLENX_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
  if(NOT EXISTS ${PLENX_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources were not found in ${PLENX_GOOGLETEST_SOURCE_DIR} "
                        "(Debian: apt-get install googletest)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${PLENX_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest is not ours to keep free of warnings.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()

  # The test programs run under Wine, in a prefix of the build's own, never
  # the user's ~/.wine (see tests/windows/).
  find_program(PLENX_WINE wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  find_program(PLENX_WINESERVER wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(NOT PLENX_WINE OR NOT PLENX_WINESERVER)
    message(FATAL_ERROR "Wine was not found, which runs the Windows tests (Debian: apt-get install wine64), "
                        "or configure with -DPLENX_BUILD_TESTS=OFF")
  endif()
  set(PLENX_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  # The Linux helpers of tests/windows/, built with the build machine's compiler.
  set(PLENX_MODEM_LINES_LIBRARY ${CMAKE_BINARY_DIR}/host/libplenx_modem_lines.so)
  set(PLENX_NULL_MODEM_RELAY ${CMAKE_BINARY_DIR}/host/null_modem_relay)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host)
  foreach(script wine_run wine_session)
    string(REPLACE "_" "-" name ${script})
    configure_file(${PROJECT_SOURCE_DIR}/tests/windows/${script}.sh.in ${CMAKE_BINARY_DIR}/${name} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                    WORLD_EXECUTE)
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  # What the test programs are told: the relay's ports are there, and where
  # the modem-line library records the lines (in Windows' form of the path
  # as well, for the test programs to read).
  set(PLENX_MODEM_LINES_LOG ${CMAKE_BINARY_DIR}/host/modem-lines.log)
  string(REPLACE "/" "\\" modem_lines_log_windows "Z:${PLENX_MODEM_LINES_LOG}")
  set(PLENX_WINE_TEST_ENVIRONMENT
      "PLENX_NULL_MODEM=COM8,COM9,COM7"
      "PLENX_MODEM_LINES_LOG=${PLENX_MODEM_LINES_LOG}"
      "PLENX_MODEM_LINES_LOG_WINDOWS=${modem_lines_log_windows}")
endif()

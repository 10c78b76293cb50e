# The one version of the programs is the project's (project(... VERSION) in
# CMakeLists.txt). This writes it into build/generated/plenx_version.h for
# the code, with the application ID; link plenx_version to include it.

# The version text the programs print: major.minor_svn.<patch in five
# digits>, so 1.6.21 reads 1.6_svn.00021.
set(patch_text "${PROJECT_VERSION_PATCH}")
string(LENGTH "${patch_text}" patch_digits)
if(patch_digits LESS 5)
  math(EXPR padding "5 - ${patch_digits}")
  string(REPEAT "0" ${padding} zeros)
  string(PREPEND patch_text "${zeros}")
endif()
set(PLENX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}_svn.${patch_text}")

# The desktop entry's, icon's and metainfo's name. It identifies the program
# to desktops and software centres (and the window to the desktop it runs
# on), so it must not change once released. The project has no domain of its
# own, so it lives under example.org, which is reserved (RFC 2606) and can
# never belong to anybody else.
set(PLENX_APP_ID "org.example.plenxlogger" CACHE STRING "AppStream component and desktop entry ID")

configure_file(${PROJECT_SOURCE_DIR}/cmake/plenx_version.h.in ${PROJECT_BINARY_DIR}/generated/plenx_version.h @ONLY)
add_library(plenx_version INTERFACE)
target_include_directories(plenx_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

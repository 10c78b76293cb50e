# The one version of the programs is the project's (project(... VERSION) in
# CMakeLists.txt). This writes it into build/generated/plenx_version.h for
# the code; link plenx_version to include it.

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

configure_file(${PROJECT_SOURCE_DIR}/cmake/plenx_version.h.in ${PROJECT_BINARY_DIR}/generated/plenx_version.h @ONLY)
add_library(plenx_version INTERFACE)
target_include_directories(plenx_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

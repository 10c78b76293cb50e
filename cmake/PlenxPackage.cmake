# The Debian package scripts/package.sh builds with CPack (`cpack -G DEB` in
# a configured build folder): its control fields, the dependencies
# dpkg-shlibdeps finds from the libraries the programs link, and the
# changelog Debian wants beside the copyright file. Include after
# PlenxInstall.cmake, whose install rules fill the package.

set(PLENX_PACKAGE_MAINTAINER "Plenx Logger developers <plenx-logger@example.org>" CACHE STRING
  "Maintainer field of the Debian package and its changelog")

set(changelog ${PROJECT_BINARY_DIR}/res/changelog)
configure_file(${PROJECT_SOURCE_DIR}/res/debian/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND gzip -9 -n -c ${changelog} > ${changelog}.gz
  DEPENDS ${changelog}
  COMMENT "Compressing the package changelog")
add_custom_target(plenx_package_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz DESTINATION ${PLENX_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PLENX_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Plenx Logger developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service logger for inverter heat-pump installations")
# Debian wraps nothing: each line of the long description stays under 80
# characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Plenx Logger reads the telemetry that a heat-pump or air-conditioning\n"
  "control board sends over a serial line, shows each unit's live values on\n"
  "a tab of its own, appends every record to a time-stamped log, warns when\n"
  "the line goes quiet, and packs the log into a dated ZIP archive at Stop.\n"
  "\n"
  "Command-line companions simulate a control board, decode raw captures of\n"
  "the line, pack archives and turn logs into CSV tables.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PLENX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PLENX_PROJECT_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders as Debian wants them whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

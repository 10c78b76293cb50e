# What `cmake --install` puts where, in the GNU layout under
# CMAKE_INSTALL_PREFIX (/usr/local by default, /usr in the package): the
# programs and their man pages, the window's desktop entry, icons and
# AppStream metainfo, the copyright and licence statement, and the systemd
# user unit templates (the logger's, and the collector's when it is built).
include(GNUInstallDirs)

set(PLENX_PROJECT_URL "https://plenx-logger.example.org" CACHE STRING
  "Home page named in the package and the metainfo (a placeholder until the project has one)")
set(PLENX_SCREENSHOT_URL "" CACHE STRING
  "Where software centres fetch a published copy of docs/main-window.png (empty: PLENX_PROJECT_URL/docs/main-window.png)")
set(plenx_screenshot_url "${PLENX_SCREENSHOT_URL}")
if(NOT plenx_screenshot_url)
  set(plenx_screenshot_url "${PLENX_PROJECT_URL}/docs/main-window.png")
endif()

# The release date the metainfo and the package changelog give: the time of
# configuring, or SOURCE_DATE_EPOCH when that is set (scripts/package.sh
# sets it to the last commit's time), so the same sources give the same files.
string(TIMESTAMP PLENX_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP PLENX_RELEASE_TIME_RFC5322 "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The Debian package's name, which its documentation folder is named after.
set(PLENX_PACKAGE_NAME "plenx-logger")
set(PLENX_DOC_DIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PLENX_PACKAGE_NAME}")

set(plenx_programs plenx-logger plenx-board-sim plenx-decode plenx-zip plenx-export plenx-collect)
set(plenx_installed_programs "")
foreach(program IN LISTS plenx_programs)
  if(TARGET ${program})
    list(APPEND plenx_installed_programs ${program})
  endif()
endforeach()
install(TARGETS ${plenx_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages: docs/man/<program>.1.in with the version filled in, compressed
# as Debian wants them (gzip -n leaves out the time, so builds compare equal).
set(man_pages "")
foreach(program IN LISTS plenx_installed_programs)
  set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND gzip -9 -n -c ${page} > ${page}.gz
    DEPENDS ${page}
    COMMENT "Compressing the man page of ${program}")
  list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(plenx_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop entry, icons and metainfo belong to the window; a build
# without it installs plenx-logger as the unattended run alone.
if(TARGET plenx-logger AND PLENX_BUILD_WINDOW)
  configure_file(${PROJECT_SOURCE_DIR}/res/plenx-logger.desktop.in
    ${PROJECT_BINARY_DIR}/res/${PLENX_APP_ID}.desktop @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/res/${PLENX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)

  # Every size res/ holds (res/render_icon.py draws them), plus the SVG.
  file(GLOB icon_pngs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/plenx_logger_*.png)
  foreach(png IN LISTS icon_pngs)
    string(REGEX MATCH "_([0-9]+)\\.png$" matched ${png})
    install(FILES ${png} RENAME ${PLENX_APP_ID}.png
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/res/plenx_logger.svg RENAME ${PLENX_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

  set(PLENX_PROVIDED_BINARIES "")
  foreach(program IN LISTS plenx_installed_programs)
    string(APPEND PLENX_PROVIDED_BINARIES "    <binary>${program}</binary>\n")
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/res/plenx-logger.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/res/${PLENX_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/res/${PLENX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()

# The licence: GPL-3.0-or-later, stated in Debian's machine-readable form,
# which refers to the system's copy of the GPL (LICENSE holds the same text).
install(FILES ${PROJECT_SOURCE_DIR}/res/debian/copyright DESTINATION ${PLENX_DOC_DIR})

# The systemd user unit templates: unattended runs, and the office
# collector when it is built. User units belong in lib/systemd/user under
# the prefix, never in the multiarch library folder.
set(user_unit ${PROJECT_SOURCE_DIR}/res/systemd/plenx-logger@.service)
if(EXISTS ${user_unit})
  install(FILES ${user_unit} DESTINATION lib/systemd/user)
endif()
if(TARGET plenx-collect)
  install(FILES ${PROJECT_SOURCE_DIR}/res/systemd/plenx-collect@.service DESTINATION lib/systemd/user)
endif()

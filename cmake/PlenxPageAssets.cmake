# The live page's own files (res/page/, and the icon) built into plenx_page as byte
# arrays, found by FindPageAsset (page/page_assets.h); a changed file is built
# in again by the next build.
# The icon is the program's own.
file(GLOB page_asset_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/page/*)
list(APPEND page_asset_files ${PROJECT_SOURCE_DIR}/res/plenx_logger.svg)
list(SORT page_asset_files)
string(REPLACE ";" "|" page_asset_list "${page_asset_files}")
set(page_assets_source ${CMAKE_BINARY_DIR}/generated/page_assets.cpp)
add_custom_command(
  OUTPUT ${page_assets_source}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${page_assets_source} -DHEADER=page/page_assets.h
          -DFILES=${page_asset_list} -P ${PROJECT_SOURCE_DIR}/cmake/PlenxEmbedFiles.cmake
  DEPENDS ${page_asset_files} ${PROJECT_SOURCE_DIR}/cmake/PlenxEmbedFiles.cmake
  COMMENT "Building the live page's files into plenx_page"
  VERBATIM)
target_sources(plenx_page PRIVATE ${page_assets_source})

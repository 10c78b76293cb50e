// The page's own files (HTML, style, script, icon), built into the program
// from res/page/ so nothing is read or fetched at run time.
#pragma once

#include <string_view>

struct PageAsset {
  std::string_view name;         // "index.html", "page.js", ...
  std::string_view contentType;  // "text/html; charset=utf-8", ...
  std::string_view bytes;
};

// The file of that name; nullptr when there is none.
const PageAsset* FindPageAsset(std::string_view name);

// A build without the live page: no options, nothing served.
#include "faces/optional_faces.h"

bool PageFaceBuiltIn() { return false; }

void AddPageFaceOptions(CLI::App&, PageSettings&) {}

std::unique_ptr<ServedPage> ServePage(const PageSettings&, std::string& error) {
  error = "This build of plenx-logger cannot serve the live page.";
  return nullptr;
}

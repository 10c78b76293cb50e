// The ports a run is offered: COM1 to COM24, in this order (the window's
// port list, the command line's --port).
#pragma once

#include <string>
#include <vector>

inline constexpr int kPortCount = 24;

// The text of item n - 1 of the list: "COM<n>", for n from 1 to kPortCount.
inline std::string PortItemText(int n) { return "COM" + std::to_string(n); }

// Every item text, in list order.
inline std::vector<std::string> PortItemTexts() {
  std::vector<std::string> texts;
  for (int n = 1; n <= kPortCount; ++n) texts.push_back(PortItemText(n));
  return texts;
}

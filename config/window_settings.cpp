// Remembered window size and column widths, as text values of the settings.
#include "config/window_settings.h"

#include <charconv>

#include "config/persisted_settings.h"

namespace {

constexpr const char* kWindowSizeValueName = "WindowSize";
constexpr const char* kColumnWidthsValueName = "ColumnWidths";
constexpr char kNumberSeparator = ',';
constexpr char kListSeparator = ';';

// A whole decimal number from 1 to kMaxRememberedPx, else nothing.
std::optional<int> ParseSize(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 1 || value > kMaxRememberedPx) return std::nullopt;
  return value;
}

// `text` cut at every `separator`.
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::optional<WindowSize> ParseWindowSize(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, kNumberSeparator);
  if (parts.size() != 2) return std::nullopt;
  const std::optional<int> width = ParseSize(parts[0]);
  const std::optional<int> height = ParseSize(parts[1]);
  if (!width || !height) return std::nullopt;
  return WindowSize{*width, *height};
}

std::string FormatWindowSize(WindowSize size) {
  return std::to_string(size.widthPx) + kNumberSeparator + std::to_string(size.heightPx);
}

ColumnWidths ParseColumnWidths(std::string_view text) {
  ColumnWidths widths;
  if (text.empty()) return widths;
  for (std::string_view list : Split(text, kListSeparator)) {
    std::vector<int>& columns = widths.emplace_back();
    for (std::string_view width : Split(list, kNumberSeparator))
      columns.push_back(ParseSize(width).value_or(0));
  }
  return widths;
}

std::string FormatColumnWidths(const ColumnWidths& widths) {
  size_t listCount = widths.size();
  auto hasWidth = [](const std::vector<int>& columns) {
    for (int width : columns)
      if (width > 0) return true;
    return false;
  };
  while (listCount > 0 && !hasWidth(widths[listCount - 1])) --listCount;
  std::string text;
  for (size_t list = 0; list < listCount; ++list) {
    if (list > 0) text += kListSeparator;
    for (size_t column = 0; column < widths[list].size(); ++column) {
      if (column > 0) text += kNumberSeparator;
      text += std::to_string(widths[list][column] > 0 ? widths[list][column] : 0);
    }
  }
  return text;
}

std::optional<WindowSize> ReadWindowSizeSetting() {
  return ParseWindowSize(ReadTextSetting(kWindowSizeValueName));
}

void WriteWindowSizeSetting(WindowSize size) {
  WriteTextSetting(kWindowSizeValueName, FormatWindowSize(size));
}

ColumnWidths ReadColumnWidthsSetting() { return ParseColumnWidths(ReadTextSetting(kColumnWidthsValueName)); }

void WriteColumnWidthsSetting(const ColumnWidths& widths) {
  WriteTextSetting(kColumnWidthsValueName, FormatColumnWidths(widths));
}

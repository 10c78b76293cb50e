// The text form of a record layout.
#include "config/record_layout.h"

#include <charconv>

namespace {

// A count of the "S,N,A" form: decimal digits only, fitting an int.
bool ParseCount(std::string_view text, int& count) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<RecordLayout> ParseRecordLayout(std::string_view text) {
  const size_t first = text.find(',');
  const size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  RecordLayout layout;
  if (!ParseCount(text.substr(0, first), layout.statusParams) ||
      !ParseCount(text.substr(first + 1, second - first - 1), layout.numDevices) ||
      !ParseCount(text.substr(second + 1), layout.acParams)) {
    return std::nullopt;
  }
  return layout;
}

// Topic-safe names for the units and parameters of a run's layout.
#include "broker/topic_names.h"

#include <algorithm>
#include <array>
#include <set>

#include "broker/site_topics.h"
#include "platform/windows1252.h"
#include "run/run_layout.h"

namespace {

constexpr std::string_view kEmptyUnitName = "unit";
constexpr std::string_view kEmptyParamName = "value";

// The plain letters of U+00C0 to U+00FF, by code point minus 0xC0; '*' for
// the signs among them (×, ÷), which separate like any other sign.
constexpr std::string_view kLatin1Letters =
    "aaaaaaaceeeeiiii"   // C0-CF
    "dnooooo*ouuuuyts"   // D0-DF: Ð Ñ Ò..Ö × Ø Ù..Ü Ý Þ ß
    "aaaaaaaceeeeiiii"   // E0-EF
    "dnooooo*ouuuuyty";  // F0-FF
constexpr char kSignMark = '*';

constexpr char32_t kFirstLatin1Letter = 0xC0;
constexpr char32_t kSharpS = 0xDF;
constexpr char32_t kLastLatin1Letter = 0xFF;

// The folded ASCII of one code point: its letter(s), or empty for a
// separator.
std::string_view FoldedLetters(char32_t codePoint) {
  if (codePoint == kSharpS) return "ss";
  if (codePoint >= kFirstLatin1Letter && codePoint <= kLastLatin1Letter) {
    const std::string_view letter = kLatin1Letters.substr(codePoint - kFirstLatin1Letter, 1);
    return letter[0] == kSignMark ? std::string_view() : letter;
  }
  switch (codePoint) {
    case 0x0160:  // Š
    case 0x0161:
      return "s";
    case 0x017D:  // Ž
    case 0x017E:
      return "z";
    case 0x0152:  // Œ
    case 0x0153:
      return "oe";
    case 0x0178:  // Ÿ
      return "y";
    default:
      return {};
  }
}

// name, or name_2, name_3, ... whichever is not in taken yet; then taken.
std::string Unique(std::string name, std::set<std::string>& taken) {
  std::string candidate = name;
  for (int suffix = 2; taken.contains(candidate); ++suffix) candidate = name + "_" + std::to_string(suffix);
  taken.insert(candidate);
  return candidate;
}

}  // namespace

std::string TopicSafeName(std::string_view text) {
  std::string name;
  bool separatorPending = false;
  for (const char byte : text) {
    const auto code = static_cast<unsigned char>(byte);
    std::string_view letters;
    char ascii[2] = {};
    if (code < 0x80) {
      if ((code >= 'a' && code <= 'z') || (code >= '0' && code <= '9')) {
        ascii[0] = static_cast<char>(code);
      } else if (code >= 'A' && code <= 'Z') {
        ascii[0] = static_cast<char>(code - 'A' + 'a');
      }
      letters = std::string_view(ascii, ascii[0] == '\0' ? 0 : 1);
    } else {
      letters = FoldedLetters(Windows1252ToCodePoint(code));
    }
    if (letters.empty()) {
      separatorPending = true;
      continue;
    }
    if (separatorPending && !name.empty()) name += '_';
    separatorPending = false;
    name += letters;
  }
  return name;
}

LayoutTopicNames MakeLayoutTopicNames(const RunLayout& layout) {
  LayoutTopicNames names;
  std::set<std::string> unitsTaken(kSiteTopicLevels.begin(), kSiteTopicLevels.end());
  for (const RunList& list : layout.lists) {
    std::string name = TopicSafeName(list.tabText);
    names.units.push_back(Unique(name.empty() ? std::string(kEmptyUnitName) : name, unitsTaken));
  }
  names.params.resize(layout.rows.size());
  for (const RunList& list : layout.lists) {
    std::set<std::string> paramsTaken{std::string(kUnitStateLevel)};
    const size_t end = std::min(list.firstRow + list.rowCount, layout.rows.size());
    for (size_t row = list.firstRow; row < end; ++row) {
      std::string name = TopicSafeName(layout.rows[row].label);
      names.params[row] = Unique(name.empty() ? std::string(kEmptyParamName) : name, paramsTaken);
    }
  }
  return names;
}

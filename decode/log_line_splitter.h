// Cutting a log's bytes into numbered lines, with bounded memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Longest line kept whole; a longer one is reported cut to this length.
// The longest log line of any layout the configuration accepts (11,000
// values of at most 7 characters) is far shorter.
inline constexpr size_t kMaxLogLineBytes = 1 << 20;

// One line of the stream: its number (the first line is 1), its bytes
// without the LF that ended it, and whether it was longer than
// kMaxLogLineBytes (text then holds its first kMaxLogLineBytes bytes).
struct TextLine {
  uint64_t number = 0;
  std::string_view text;
  bool overlong = false;
};

// Fed a byte stream in pieces of any size, hands out each line once its LF
// has arrived. A line that lies within one piece is handed out as a view
// into that piece, without a copy; only a line that spans pieces is
// gathered, up to kMaxLogLineBytes. A view is valid during the call only.
class LogLineSplitter {
 public:
  // Calls onLine(const TextLine&) for every line that bytes completes.
  template <typename OnLine>
  void Feed(std::string_view bytes, OnLine&& onLine) {
    while (!bytes.empty()) {
      const void* lineFeed = std::memchr(bytes.data(), '\n', bytes.size());
      if (lineFeed == nullptr) {
        Gather(bytes);
        return;
      }
      const auto length = static_cast<size_t>(static_cast<const char*>(lineFeed) - bytes.data());
      if (m_gathered.empty() && !m_gatheredOverlong) {
        Hand(bytes.substr(0, length), length > kMaxLogLineBytes, onLine);
      } else {
        Gather(bytes.substr(0, length));
        Hand(m_gathered, m_gatheredOverlong, onLine);
        m_gathered.clear();
        m_gatheredOverlong = false;
      }
      bytes.remove_prefix(length + 1);
    }
  }

  // At the end of the stream: calls onLine for a last line that has no LF,
  // if there is one.
  template <typename OnLine>
  void Finish(OnLine&& onLine) {
    if (m_gathered.empty() && !m_gatheredOverlong) return;
    Hand(m_gathered, m_gatheredOverlong, onLine);
    m_gathered.clear();
    m_gatheredOverlong = false;
  }

  // Lines handed out so far.
  uint64_t LineCount() const { return m_lineCount; }

 private:
  void Gather(std::string_view bytes) {
    const size_t room = kMaxLogLineBytes - m_gathered.size();
    if (bytes.size() > room) m_gatheredOverlong = true;
    m_gathered.append(bytes.substr(0, room));
  }

  template <typename OnLine>
  void Hand(std::string_view text, bool overlong, OnLine& onLine) {
    if (text.size() > kMaxLogLineBytes) text = text.substr(0, kMaxLogLineBytes);
    onLine(TextLine{++m_lineCount, text, overlong});
  }

  std::string m_gathered;  // the start of a line that spans pieces
  bool m_gatheredOverlong = false;
  uint64_t m_lineCount = 0;
};

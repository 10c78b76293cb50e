// A small JSON reader for tests: what the page's API and a browser's
// DevTools protocol send, read into a tree the test can walk.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  // The value text holds; nullopt when it is not one JSON value.
  static std::optional<JsonValue> Parse(std::string_view text) {
    size_t pos = 0;
    JsonValue value;
    if (!ParseValue(text, pos, value)) return std::nullopt;
    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;
    return value;
  }

  Kind kind() const { return m_kind; }
  bool isNull() const { return m_kind == Kind::kNull; }
  bool boolean() const { return m_bool; }
  double number() const { return m_number; }
  const std::string& string() const { return m_string; }
  const std::vector<JsonValue>& array() const { return m_array; }
  size_t size() const { return m_kind == Kind::kObject ? m_object.size() : m_array.size(); }
  bool has(const std::string& key) const { return m_object.count(key) > 0; }

  // The member key, or a null value when there is none.
  const JsonValue& operator[](const std::string& key) const {
    const auto found = m_object.find(key);
    return found == m_object.end() ? Null() : found->second;
  }
  const JsonValue& operator[](size_t index) const { return index < m_array.size() ? m_array[index] : Null(); }

 private:
  static const JsonValue& Null() {
    static const JsonValue null;
    return null;
  }

  static void SkipBlanks(std::string_view text, size_t& pos) {
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\n' || text[pos] == '\r' || text[pos] == '\t')) {
      ++pos;
    }
  }

  static bool Literal(std::string_view text, size_t& pos, std::string_view word) {
    if (text.substr(pos, word.size()) != word) return false;
    pos += word.size();
    return true;
  }

  static void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }

  static bool Hex4(std::string_view text, size_t& pos, char32_t& code) {
    if (pos + 4 > text.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text[pos++];
      code <<= 4;
      if (c >= '0' && c <= '9') {
        code |= static_cast<char32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        code |= static_cast<char32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        code |= static_cast<char32_t>(c - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  static bool ParseString(std::string_view text, size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') return false;
    ++pos;
    while (pos < text.size()) {
      const char c = text[pos++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos >= text.size()) return false;
      const char escape = text[pos++];
      switch (escape) {
        case '"':
        case '\\':
        case '/':
          out += escape;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          char32_t code = 0;
          if (!Hex4(text, pos, code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            char32_t low = 0;
            if (!Literal(text, pos, "\\u") || !Hex4(text, pos, low) || low < 0xDC00 || low > 0xDFFF)
              return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(code, out);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  static bool ParseValue(std::string_view text, size_t& pos, JsonValue& value) {
    SkipBlanks(text, pos);
    if (pos >= text.size()) return false;
    const char c = text[pos];
    if (c == '{') {
      value.m_kind = Kind::kObject;
      ++pos;
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == '}') return ++pos, true;
      for (;;) {
        SkipBlanks(text, pos);
        std::string key;
        if (!ParseString(text, pos, key)) return false;
        SkipBlanks(text, pos);
        if (!Literal(text, pos, ":")) return false;
        JsonValue member;
        if (!ParseValue(text, pos, member)) return false;
        value.m_object.emplace(std::move(key), std::move(member));
        SkipBlanks(text, pos);
        if (Literal(text, pos, "}")) return true;
        if (!Literal(text, pos, ",")) return false;
      }
    }
    if (c == '[') {
      value.m_kind = Kind::kArray;
      ++pos;
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == ']') return ++pos, true;
      for (;;) {
        JsonValue element;
        if (!ParseValue(text, pos, element)) return false;
        value.m_array.push_back(std::move(element));
        SkipBlanks(text, pos);
        if (Literal(text, pos, "]")) return true;
        if (!Literal(text, pos, ",")) return false;
      }
    }
    if (c == '"') {
      value.m_kind = Kind::kString;
      return ParseString(text, pos, value.m_string);
    }
    if (Literal(text, pos, "true")) {
      value.m_kind = Kind::kBool;
      value.m_bool = true;
      return true;
    }
    if (Literal(text, pos, "false")) {
      value.m_kind = Kind::kBool;
      return true;
    }
    if (Literal(text, pos, "null")) return true;
    const std::string number(text.substr(pos, text.find_first_of(",]} \n\r\t", pos) - pos));
    char* end = nullptr;
    value.m_number = std::strtod(number.c_str(), &end);
    if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(value.m_number))
      return false;
    value.m_kind = Kind::kNumber;
    pos += number.size();
    return true;
  }

  Kind m_kind = Kind::kNull;
  bool m_bool = false;
  double m_number = 0;
  std::string m_string;
  std::vector<JsonValue> m_array;
  std::map<std::string, JsonValue> m_object;
};

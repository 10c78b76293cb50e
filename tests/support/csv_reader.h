// An RFC 4180 reader for tests: rows end in CR LF, a quoted field may hold
// commas, doubled quotes and line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using CsvRow = std::vector<std::string>;

// The rows of text; empty when text breaks the format (a bare LF, a quote
// inside an unquoted field, text after a closing quote, an open quote at the
// end), so a test compares against a table that cannot be right.
inline std::vector<CsvRow> ReadCsv(std::string_view text) {
  std::vector<CsvRow> rows;
  CsvRow row;
  std::string field;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"') {
      for (++i;; ++i) {
        if (i >= text.size()) return {};
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += text[i];
        }
      }
    } else {
      while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
        if (text[i] == '"') return {};
        field += text[i++];
      }
    }
    row.push_back(std::move(field));
    field.clear();
    if (i < text.size() && text[i] == ',') {
      ++i;
    } else if (text.substr(i, 2) == "\r\n") {
      rows.push_back(std::move(row));
      row.clear();
      i += 2;
    } else {
      return {};
    }
  }
  if (!row.empty()) return {};  // the last row has no line end
  return rows;
}

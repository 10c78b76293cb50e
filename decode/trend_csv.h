// The records of a time range as a CSV table, with the numbers a chart draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "decode/trend_table.h"

// Appends to out, UTF-8 with CR LF line ends and RFC 4180 quoting, a header
// row "Time" and "<tab text>/<label>" per column (as plenx-export heads its
// columns), then one row per record stamped from fromMs to toMs, both
// included, in record order: the time in ISO 8601 with milliseconds, then
// each column's value in the shortest text that reads back as the same
// float ("36.95", "50"), empty where it is NaN.
void AppendTrendCsv(const TrendTable& table, std::span<const size_t> columns, int64_t fromMs, int64_t toMs,
                    std::string& out);

// Any record text under any layout the loader accepts: the text splits into
// fields that join back to it, each field reads as strtol reads it, and
// DecodeRecord fills exactly the rows the views create, in order, up to the
// first position the record lacks, each with a text its parameter's table
// allows.
//
// Input: STATUSPARAMS (2 bytes), NUMDEVICES (1), ACPARAMS (2), taken as
// they are (the loader accepts all of them; a layout without values becomes
// the default one, as the loader makes it), then the record text.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/logger_config.h"
#include "config/record_layout.h"
#include "decode/display_text.h"
#include "decode/record_fields.h"
#include "decode/record_view.h"
#include "decode/shown_params.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"

namespace {

// The layout the loader falls back to when the file's gives records without values.
constexpr RecordLayout kDefaultLayout{kDefaultStatusParams, kDefaultNumDevices, kDefaultAcParams};

// Lowest and highest record positions that carry a unit rule.
constexpr int64_t kFirstUnitRulePosition = 70;
constexpr int64_t kLastUnitRulePosition = 215;

const std::set<std::string_view> kOutdoorFaultTexts = {
    "NO Fault",
    "No Communication with indoor units",
    "Error detected on indoor units",
    "PFC Fault",
    "OverTemperature Fan Circuit",
    "Overcurrent Fan Motor",
    "OverTemperature Compr. Circuit",
    "Overcurrent Compressor",
    "OCT sensor damaged",
    "OAT sensor damaged",
    "CDT sensor damaged",
    "WTT_A sensor damaged",
    "NTT_A sensor damaged",
    "WTT_B sensor damaged",
    "NTT_B sensor damaged",
    "WTT_C sensor damaged",
    "NTT_C sensor damaged",
    "WTT_D sensor damaged",
    "NTT_D sensor damaged",
    "Compressor Top Shell sensor damaged",
    "Wrong indoor/outdoor units combination",
    "Test Mode error",
    "Fault",
};

// Every fixed text a unit rule may show: modes, valve, placeholder, option,
// pump, and the indoor and ZIZU fault texts.
const std::set<std::string_view> kUnitFixedTexts = {
    "Cool",
    "Dry",
    "Heat",
    "Fan",
    "Off",
    "Open",
    "Closed",
    "-",
    "Enabled",
    "Disabled",
    "Running",
    "OFF",
    "NO Fault",
    "Error detected on outdoor unit",
    "Float switch alarm",
    "No Communication with outdoor unit",
    "Indoor Coil sensor damaged",
    "Room Air sensor damaged",
    "No communication with the blower or blower damaged",
    "Blower blocked or outlets closed",
    "Wrong indoor/outdoor units combination",
    "Water switch alarm",
    "Outlet Coil sensor damaged",
    "Water sensor damaged",
    "Auxiliary Water sensor damaged",
    "Water pump disconnected or damaged",
    "Fault",
};

bool IsCompressorPercent(std::string_view text) {
  if (!text.ends_with(" %") || text.size() < 3) return false;
  const std::string_view digits = text.substr(0, text.size() - 2);
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether text is what outdoor parameter p may show for value.
bool OutdoorTextAllowed(int p, int32_t value, std::string_view text) {
  const double factor = StatusParamScale(p);
  switch (p) {
    case 3:
      return text == "Stop" || IsCompressorPercent(text);
    case 5:
      return text == "Running" || text == "Stop";
    case 7:
      return text == "Cool" || text == "Heat" || text == "Off";
    case 9:
    case 10:
    case 11:
      return text == FahrenheitText(value, factor);
    case 15:
      return text == "Off" || text == "Starting" || text == "Active" || text == "Stopping" || text == "End" ||
             text == "NA";
    case 30:
      return kOutdoorFaultTexts.contains(text);
    case 39:
      return text == "NA" || text == FahrenheitText(value, factor);
    default:
      return text == GenericText(value, factor);
  }
}

// Whether text is what the unit parameter t at record position may show.
bool UnitTextAllowed(int64_t position, int t, int32_t value, std::string_view text) {
  const double factor = UnitParamScale(t);
  if (text == GenericText(value, factor)) return true;
  if (position < kFirstUnitRulePosition || position > kLastUnitRulePosition) return false;
  return text == FahrenheitText(value, factor) || kUnitFixedTexts.contains(text);
}

// strtol's reading of a field, limited to the 32-bit range.
int32_t StrtolValue(const std::string& field) {
  errno = 0;
  const long value = std::strtol(field.c_str(), nullptr, 10);
  return static_cast<int32_t>(
      std::clamp<long>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  RecordLayout layout;
  layout.statusParams = input.U16();
  layout.numDevices = input.Byte();
  layout.acParams = input.U16();
  if (RecordValueCount(layout) < 1) layout = kDefaultLayout;
  const std::string_view record = input.Rest();

  std::vector<std::string> fields;
  const int fieldCount = SplitRecord(record, fields);
  FUZZ_CHECK(fieldCount == static_cast<int>(fields.size()) && fieldCount <= kMaxRecordFields, "field count");
  std::string joined;
  for (size_t i = 0; i < fields.size(); ++i) {
    FUZZ_CHECK(fields[i].find(',') == std::string::npos, "a field holds a comma");
    joined += fields[i];
    if (i + 1 < fields.size()) joined += ',';
  }
  FUZZ_CHECK(fieldCount == kMaxRecordFields ? record.starts_with(joined) : joined == record,
             "fields do not join back to the record");
  for (const std::string& field : fields) {
    FUZZ_CHECK(FieldValue(field) == StrtolValue(field),
               "field '" + field + "' read otherwise than by strtol");
  }

  const RecordTexts texts = DecodeRecord(layout, record);
  const std::vector<std::vector<ShownRow>> rows = ListRows(layout);
  FUZZ_CHECK(!texts.listTexts.empty() && texts.listTexts.size() <= rows.size(), "list count");
  // Rows in the order a record fills them: outdoor list, then unit 0, 1, ...
  bool reachedMissing = false;
  for (size_t list = 0; list < rows.size(); ++list) {
    const size_t shown = list < texts.listTexts.size() ? texts.listTexts[list].size() : 0;
    for (size_t r = 0; r < rows[list].size(); ++r) {
      const ShownRow& row = rows[list][r];
      if (!reachedMissing && row.position >= fieldCount) {
        reachedMissing = true;
        FUZZ_CHECK(texts.tooShort && texts.missingPosition == row.position,
                   "position " + std::to_string(row.position) + " missing but not reported");
      }
      if (reachedMissing) {
        FUZZ_CHECK(r >= shown, "row filled beyond the missing position");
        continue;
      }
      FUZZ_CHECK(r < shown, "list " + std::to_string(list) + " row " + std::to_string(r) + " left empty");
      const std::string& text = texts.listTexts[list][r];
      const int32_t value = FieldValue(fields[static_cast<size_t>(row.position)]);
      const bool allowed = list == kOutdoorListIndex ? OutdoorTextAllowed(row.param, value, text)
                                                     : UnitTextAllowed(row.position, row.param, value, text);
      FUZZ_CHECK(allowed, "list " + std::to_string(list) + " position " + std::to_string(row.position) +
                              " value " + std::to_string(value) + " shows '" + text + "'");
    }
    FUZZ_CHECK(reachedMissing || shown == rows[list].size(),
               "list " + std::to_string(list) + " has extra rows");
  }
  FUZZ_CHECK(reachedMissing || (!texts.tooShort && texts.missingPosition == -1),
             "complete record called short");
  return 0;
}

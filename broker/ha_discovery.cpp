// Home Assistant's MQTT discovery for a site.
#include "broker/ha_discovery.h"

#include <algorithm>

#include "broker/site_topics.h"
#include "broker/topic_names.h"
#include "broker/value_payloads.h"
#include "config/text_encoding.h"
#include "decode/json_text.h"
#include "plenx_version.h"
#include "run/run_layout.h"

namespace {

constexpr std::string_view kDegreesFahrenheit =
    "\xC2\xB0"
    "F";  // UTF-8 "°F"
constexpr size_t kLongestBracketUnit = 6;
constexpr std::string_view kModelName = "Plenx Logger";

void AppendMember(std::string& json, std::string_view name, std::string_view value) {
  if (json.size() > 1) json += ',';
  AppendJsonString(name, json);
  json += ':';
  AppendJsonString(value, json);
}

// The unit in the brackets that end label ("[rpm]", "[mA]"): letters only,
// short; "[0:128]" is a range, not a unit.
std::string BracketUnit(std::string_view label) {
  const size_t open = label.rfind('[');
  if (open == std::string_view::npos || !label.ends_with(']')) return {};
  const std::string_view unit = label.substr(open + 1, label.size() - open - 2);
  if (unit.empty() || unit.size() > kLongestBracketUnit) return {};
  const bool letters = std::all_of(unit.begin(), unit.end(),
                                   [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  return letters ? std::string(unit) : std::string();
}

}  // namespace

std::string UnitOfMeasurement(const std::string& label, int quantity) {
  switch (static_cast<ValueQuantity>(quantity)) {
    case ValueQuantity::kFahrenheit:
      return std::string(kDegreesFahrenheit);
    case ValueQuantity::kPercent:
      return "%";
    case ValueQuantity::kNumber:
      return BracketUnit(label);
    case ValueQuantity::kNone:
      break;
  }
  return {};
}

std::vector<DiscoveryMessage> MakeDiscoveryMessages(const std::string& prefix, const std::string& site,
                                                    const RunLayout& layout, const LayoutTopicNames& names) {
  // The site is UTF-8 (a topic level), the folding Windows-1252.
  std::string siteId = TopicSafeName(Utf8ToWindows1252(site));
  if (siteId.empty()) siteId = "site";
  const std::string deviceId = "plenx_" + siteId;

  std::string device = "{";
  device += "\"identifiers\":";
  device += "[";
  AppendJsonString(deviceId, device);
  device += "]";
  AppendMember(device, "name", "Plenx " + site);
  AppendMember(device, "model", kModelName);
  AppendMember(device, "sw_version", kPlenxVersionText);
  device += '}';

  std::vector<DiscoveryMessage> messages;
  for (size_t list = 0; list < layout.lists.size(); ++list) {
    const RunList& rows = layout.lists[list];
    const size_t end = std::min(rows.firstRow + rows.rowCount, layout.rows.size());
    for (size_t row = rows.firstRow; row < end; ++row) {
      const RunRow& shown = layout.rows[row];
      const std::string objectId = names.units[list] + "_" + names.params[row];
      std::string name;
      AppendShownTextAsUtf8(rows.tabText, name);
      name += ' ';
      AppendShownTextAsUtf8(shown.label, name);

      std::string json = "{";
      AppendMember(json, "name", name);
      AppendMember(json, "unique_id", deviceId + "_" + objectId);
      AppendMember(json, "object_id", deviceId + "_" + objectId);
      AppendMember(json, "state_topic", ValueTopic(site, names.units[list], names.params[row]));
      AppendMember(json, "availability_topic", SiteTopic(site, kStatusLevel));
      AppendMember(json, "payload_available", kStatusOnline);
      AppendMember(json, "payload_not_available", kStatusOffline);
      if (shown.quantity != ValueQuantity::kNone) {
        const std::string unit = UnitOfMeasurement(shown.label, static_cast<int>(shown.quantity));
        if (!unit.empty()) AppendMember(json, "unit_of_measurement", unit);
        if (shown.quantity == ValueQuantity::kFahrenheit) AppendMember(json, "device_class", "temperature");
        AppendMember(json, "state_class", "measurement");
      }
      json += ",\"device\":";
      json += device;
      json += '}';
      messages.push_back({prefix + "/sensor/" + deviceId + "/" + objectId + "/config", std::move(json)});
    }
  }
  return messages;
}

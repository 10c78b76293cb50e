// Home Assistant's MQTT discovery for a site: one retained config message
// per shown value, so the hub makes one device per site with one sensor per
// value, without anyone typing a sensor in.
//
//   <prefix>/sensor/plenx_<site>/<unit>_<param>/config
//
// carries the sensor's name ("<tab> <label>"), a unique id that stays the
// same from run to run ("plenx_<site>_<unit>_<param>"), its state topic,
// the availability bound to plenx/<site>/status, and for numbers the unit
// of measurement, "measurement" as state class and, for temperatures,
// "temperature" as device class. In the ids, which Home Assistant wants
// plain, <site> is the site's name made topic-safe ("Café North" ->
// "cafe_north", see TopicSafeName).
#pragma once

#include <string>
#include <vector>

struct RunLayout;
struct LayoutTopicNames;

struct DiscoveryMessage {
  std::string topic;
  std::string payload;  // JSON, UTF-8
};

std::vector<DiscoveryMessage> MakeDiscoveryMessages(const std::string& prefix, const std::string& site,
                                                    const RunLayout& layout, const LayoutTopicNames& names);

// The unit of measurement Home Assistant shows for a row, in UTF-8: "°F",
// "%", or for another number the unit its label ends in ("Target CMP Speed
// [rpm]" -> "rpm"); empty when there is none.
std::string UnitOfMeasurement(const std::string& label, int quantity);

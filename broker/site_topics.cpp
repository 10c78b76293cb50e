// The topics of one site on the broker.
#include "broker/site_topics.h"

#include "platform/windows1252.h"

namespace {

// A site level longer than this would not fit a file name on the collector.
constexpr size_t kMaxSiteNameBytes = 200;

}  // namespace

std::string SiteTopic(std::string_view site, std::string_view level) {
  std::string topic(kTopicRoot);
  topic += '/';
  topic += site;
  topic += '/';
  topic += level;
  return topic;
}

std::string ValueTopic(std::string_view site, std::string_view unit, std::string_view param) {
  std::string topic = SiteTopic(site, unit);
  topic += '/';
  topic += param;
  return topic;
}

std::string_view SiteOfRecordTopic(std::string_view topic) {
  const std::string_view head = kTopicRoot;
  if (!topic.starts_with(head) || topic.size() <= head.size() || topic[head.size()] != '/') return {};
  std::string_view rest = topic.substr(head.size() + 1);
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash == 0 || rest.substr(slash + 1) != kRecordLevel) return {};
  return rest.substr(0, slash);
}

std::string SiteNameProblem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name.size() > kMaxSiteNameBytes) return "is longer than 200 bytes";
  for (const char byte : name) {
    if (byte == '/') return "contains '/', which would split the topic";
    if (byte == '+' || byte == '#') {
      return std::string("contains '") + byte + "', an MQTT wildcard";
    }
    if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F) return "contains a control character";
  }
  if (!IsValidUtf8(name)) return "is not valid UTF-8, as MQTT topics must be";
  if (name.front() == '.') return "starts with '.'";
  if (name.front() == '$') return "starts with '$', which brokers keep for their own topics";
  return {};
}

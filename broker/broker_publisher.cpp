// The broker face of a run.
#include "broker/broker_publisher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>

#include "broker/event_payload.h"
#include "broker/ha_discovery.h"
#include "broker/mqtt_connection.h"
#include "broker/record_payload.h"
#include "broker/site_topics.h"
#include "broker/topic_names.h"
#include "broker/value_payloads.h"
#include "decode/log_line.h"

namespace {

constexpr int64_t kFirstRetryDelayMs = 1'000;
constexpr int64_t kLongestRetryDelayMs = 60'000;
// A connection the broker has not accepted by then is given up and tried
// again (a host that drops the packets never refuses).
constexpr int64_t kConnectTimeoutMs = 10'000;
// How long one network step waits for the socket before the queue is looked
// at again; a record waits at most this long before it is sent.
constexpr int kNetworkStepMs = 20;
// Records sent and not yet acknowledged; the rest wait in the spool.
constexpr size_t kMaxInFlight = 64;
// What the face queues for the thread before the oldest goes: minutes of
// records, more than a stalled disk should ever hold up.
constexpr size_t kMaxQueuedWork = 100'000;
// How long the end of the program waits for the broker to take what waits.
constexpr int64_t kShutdownDrainMs = 3'000;
constexpr int kQosAtMostOnce = 0;
constexpr int kQosAtLeastOnce = 1;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t WallMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// "20150307T140509-9f3c02aa": when the run started, and a random part so two
// runs started in the same second differ.
std::string MakeRunId(const LocalTime& time) {
  std::random_device random;
  char id[64];
  std::snprintf(id, sizeof id, "%04d%02d%02dT%02d%02d%02d-%08x", time.year, time.month, time.day, time.hour,
                time.minute, time.second, static_cast<unsigned>(random()));
  return id;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

struct BrokerPublisher::Work {
  enum class Kind { kStart, kRecord, kLink, kEnd, kChange };
  Kind kind = Kind::kRecord;
  std::shared_ptr<const RunRecord> record;
  ChangeEvent change;
  RunStart start;
  std::string_view link;
};

// Everything the publisher's thread owns.
class BrokerPublisher::Worker : public MqttEvents {
 public:
  Worker(BrokerPublisher& owner, BrokerConfig config, BrokerNoticeHandler notice)
      : m_owner(owner), m_config(std::move(config)), m_notice(std::move(notice)), m_connection(*this) {}

  void Run();

  void OnConnected(bool) override;
  void OnPublished(int mid) override;

 private:
  struct InFlight {
    int mid = 0;
    SpoolPosition next;
    bool acked = false;
  };
  struct Kept {
    SpoolPosition next;
    int64_t ackedMs = 0;
  };

  bool TakeWork(std::deque<Work>& work, bool& stopping, int waitMs);
  void Handle(Work& work);
  void StartRun(const RunStart& start);
  void TakeRecord(const std::shared_ptr<const RunRecord>& shared);
  void SetLink(std::string_view state);
  void EndRun();

  bool OpenSpool();
  void Connect();
  void ConnectionEnded();
  void PublishState();
  void PublishValues(const RunRecord* record);
  void SendSpool();
  void DropKept();
  void ReportDropped();
  void UpdateCounts();
  void Say(BrokerNotice::Kind kind, std::string text);
  std::string SpoolWords() const;

  BrokerPublisher& m_owner;
  BrokerConfig m_config;
  BrokerNoticeHandler m_notice;
  MqttConnection m_connection;

  // The site and its run.
  std::string m_site;
  bool m_runActive = false;
  bool m_publishRun = false;  // false for a replay
  std::string m_runId;
  std::string m_logName;
  uint64_t m_seq = 0;
  std::shared_ptr<const RunLayout> m_layout;
  LayoutTopicNames m_names;
  std::vector<std::string> m_valueTopics;
  std::vector<std::string> m_unitStateTopics;
  std::shared_ptr<const RunRecord> m_latest;  // the last record's values
  std::vector<std::string> m_sentValues;      // by row, on this connection
  std::vector<std::string> m_sentUnitStates;  // by list, on this connection
  std::string m_link;                         // the link state to show
  std::string m_sentLink;

  // The spool and the records on their way.
  RecordSpool m_spool;
  std::string m_spoolFolder;
  bool m_spoolFailed = false;
  SpoolPosition m_sendCursor;
  std::deque<InFlight> m_inFlight;
  std::deque<Kept> m_kept;
  uint64_t m_dropped = 0;
  uint64_t m_droppedSinceSaid = 0;
  bool m_dropSaid = false;

  // The connection.
  bool m_connecting = false;
  int64_t m_connectStartMs = 0;
  int64_t m_nextAttemptMs = 0;
  int64_t m_retryDelayMs = kFirstRetryDelayMs;
  bool m_everConnected = false;
  bool m_outageSaid = false;
  std::string m_failureSaid;
};

BrokerPublisher::BrokerPublisher(BrokerConfig config, BrokerNoticeHandler notice)
    : m_worker(std::make_unique<Worker>(*this, std::move(config), std::move(notice))),
      m_thread([this] { m_worker->Run(); }) {}

BrokerPublisher::~BrokerPublisher() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_one();
  m_thread.join();
}

void BrokerPublisher::Queue(Work work) {
  {
    std::lock_guard lock(m_mutex);
    if (m_queue.size() >= kMaxQueuedWork) {
      m_queue.pop_front();
      ++m_queueOverflow;
    }
    m_queue.push_back(std::move(work));
  }
  m_wake.notify_one();
}

void BrokerPublisher::OnRunStarted(const RunStart& start) {
  Work work;
  work.kind = Work::Kind::kStart;
  work.start = start;
  Queue(std::move(work));
}

void BrokerPublisher::OnRecord(const std::shared_ptr<const RunRecord>& record) {
  Work work;
  work.kind = Work::Kind::kRecord;
  work.record = record;
  Queue(std::move(work));
}

void BrokerPublisher::OnRunEvent(const RunEvent& event) {
  Work work;
  work.kind = Work::Kind::kLink;
  switch (event.kind) {
    case RunEventKind::kLineQuiet:
      work.link = kLinkCommunicationError;
      break;
    case RunEventKind::kLineReceiving:
      work.link = kLinkReceiving;
      break;
    case RunEventKind::kLineLost:
      work.link = kLinkPortLost;
      break;
    default:
      return;
  }
  Queue(std::move(work));
}

void BrokerPublisher::OnRunEnded(const RunEnd&) {
  Work work;
  work.kind = Work::Kind::kEnd;
  Queue(std::move(work));
}

void BrokerPublisher::AddChange(const ChangeEvent& change) {
  Work work;
  work.kind = Work::Kind::kChange;
  work.change = change;
  Queue(std::move(work));
}

BrokerPublisher::Counts BrokerPublisher::GetCounts() const {
  std::lock_guard lock(m_mutex);
  Counts counts = m_counts;
  counts.recordsDropped += m_queueOverflow;
  return counts;
}

bool BrokerPublisher::Worker::TakeWork(std::deque<Work>& work, bool& stopping, int waitMs) {
  std::unique_lock lock(m_owner.m_mutex);
  if (waitMs > 0 && m_owner.m_queue.empty() && !m_owner.m_stopping) {
    m_owner.m_wake.wait_for(lock, std::chrono::milliseconds(waitMs));
  }
  work.swap(m_owner.m_queue);
  stopping = m_owner.m_stopping;
  m_dropped += m_owner.m_queueOverflow;
  m_droppedSinceSaid += m_owner.m_queueOverflow;
  m_owner.m_queueOverflow = 0;
  return !work.empty();
}

void BrokerPublisher::Worker::Run() {
  std::deque<Work> work;
  bool stopping = false;
  int64_t stopDeadlineMs = 0;
  for (;;) {
    const bool connected = m_connection.IsConnected();
    int waitMs = 0;
    if (!connected && !m_connecting) {
      waitMs = static_cast<int>(std::clamp<int64_t>(m_nextAttemptMs - SteadyMs(), 0, 250));
      if (!m_runActive) waitMs = 250;
    }
    TakeWork(work, stopping, waitMs);
    for (Work& item : work) Handle(item);
    work.clear();
    ReportDropped();

    const bool pending = m_spool.IsOpen() && (m_sendCursor < m_spool.End() || !m_inFlight.empty());
    if (stopping) {
      if (stopDeadlineMs == 0) stopDeadlineMs = SteadyMs() + kShutdownDrainMs;
      if (!m_connection.IsConnected() || !pending || SteadyMs() >= stopDeadlineMs) break;
    }
    const bool wanted = m_runActive || pending;
    if (!m_connection.IsConnected() && !m_connecting) {
      if (wanted && !stopping && SteadyMs() >= m_nextAttemptMs) Connect();
    } else if (!wanted && !m_connecting) {
      m_connection.Disconnect();
      m_sentLink.clear();
    }
    if (m_connecting || m_connection.IsConnected()) {
      if (!m_connection.Step(kNetworkStepMs)) {
        ConnectionEnded();
      } else if (m_connecting && SteadyMs() - m_connectStartMs > kConnectTimeoutMs) {
        m_connection.Disconnect();
        ConnectionEnded();
      } else if (m_connection.IsConnected()) {
        SendSpool();
        DropKept();
      }
    } else if (m_spool.IsOpen()) {
      m_spool.DropExpired(WallMs());
    }
    UpdateCounts();
  }
  if (m_connection.IsConnected()) m_connection.Disconnect();
  UpdateCounts();
}

void BrokerPublisher::Worker::Handle(Work& work) {
  switch (work.kind) {
    case Work::Kind::kStart:
      StartRun(work.start);
      break;
    case Work::Kind::kRecord:
      if (m_publishRun) TakeRecord(work.record);
      break;
    case Work::Kind::kLink:
      if (m_publishRun) SetLink(work.link);
      break;
    case Work::Kind::kEnd:
      EndRun();
      break;
    case Work::Kind::kChange:
      if (m_runActive && m_publishRun && m_connection.IsConnected())
        m_connection.Publish(SiteTopic(m_site, kEventLevel), EventPayload(work.change), kQosAtLeastOnce,
                             false);
      break;
  }
}

void BrokerPublisher::Worker::StartRun(const RunStart& start) {
  m_publishRun = !start.replay;
  if (!m_publishRun) return;
  const std::string site =
      m_config.site.empty() ? DefaultSiteName(LocalHostName(), start.portName) : m_config.site;
  if (site != m_site) {
    // Another port makes another default site: its own session and spool.
    // What the old one's spool holds waits for a run of that site.
    if (m_connection.IsConnected() || m_connecting) m_connection.Disconnect();
    m_connecting = false;
    m_spool.Close();
    m_spoolFailed = false;
    m_inFlight.clear();
    m_kept.clear();
    m_site = site;
  }
  m_runActive = true;
  m_runId = MakeRunId(start.time);
  m_logName = BaseName(start.logPath);
  m_seq = 0;
  m_layout = start.layout;
  m_names = m_layout ? MakeLayoutTopicNames(*m_layout) : LayoutTopicNames{};
  m_valueTopics.clear();
  m_unitStateTopics.clear();
  if (m_layout) {
    for (size_t list = 0; list < m_layout->lists.size(); ++list) {
      const RunList& rows = m_layout->lists[list];
      m_unitStateTopics.push_back(ValueTopic(m_site, m_names.units[list], kUnitStateLevel));
      for (size_t row = rows.firstRow; row < rows.firstRow + rows.rowCount && row < m_layout->rows.size();
           ++row) {
        m_valueTopics.resize(std::max(m_valueTopics.size(), row + 1));
        m_valueTopics[row] = ValueTopic(m_site, m_names.units[list], m_names.params[row]);
      }
    }
  }
  m_latest.reset();
  m_sentValues.assign(m_valueTopics.size(), std::string());
  m_sentUnitStates.assign(m_unitStateTopics.size(), std::string());
  m_link.clear();
  if (!m_spool.IsOpen() && !m_spoolFailed) OpenSpool();
  if (m_connection.IsConnected()) PublishState();
  m_nextAttemptMs = std::min(m_nextAttemptMs, SteadyMs());
}

bool BrokerPublisher::Worker::OpenSpool() {
  const std::string folder = m_config.spoolFolder.empty() ? SpoolFolderFor(m_site) : m_config.spoolFolder;
  m_spoolFolder = folder;
  if (folder.empty() || !m_spool.Open(folder, m_config.spoolLimits)) {
    m_spoolFailed = true;
    Say(BrokerNotice::Kind::kFailure,
        "Cannot keep the records for the MQTT broker " + m_config.url + " in the spool " +
            (folder.empty() ? std::string("(no home folder)") : m_spool.Problem()) +
            ". Records are published only while the broker is connected; the log file keeps them all.");
    return false;
  }
  m_sendCursor = m_spool.Head();
  return true;
}

void BrokerPublisher::Worker::TakeRecord(const std::shared_ptr<const RunRecord>& shared) {
  const RunRecord& record = *shared;
  if (record.logged) {
    ++m_seq;
    RecordPayload payload;
    payload.seq = m_seq;
    payload.run = m_runId;
    payload.logName = m_logName;
    payload.line = FormatLogLine(record.time, record.text);
    if (m_spool.IsOpen()) {
      if (!m_spool.Append(WallMs(), FormatRecordPayload(payload))) {
        ++m_dropped;
        ++m_droppedSinceSaid;
        if (!m_dropSaid) {
          m_dropSaid = true;
          Say(BrokerNotice::Kind::kFailure, "Cannot write to the MQTT spool " + m_spool.Problem() +
                                                ". Records that cannot wait there are not published; the "
                                                "log file keeps them all.");
        }
      } else {
        std::lock_guard lock(m_owner.m_mutex);
        ++m_owner.m_counts.recordsSpooled;
      }
    } else if (m_connection.IsConnected()) {
      m_connection.Publish(SiteTopic(m_site, kRecordLevel), FormatRecordPayload(payload), kQosAtLeastOnce,
                           false);
    }
  }
  m_latest = shared;
  if (m_link != kLinkReceiving) SetLink(kLinkReceiving);
  if (m_connection.IsConnected()) PublishValues(m_latest.get());
}

void BrokerPublisher::Worker::SetLink(std::string_view state) {
  m_link = std::string(state);
  if (m_connection.IsConnected() && m_link != m_sentLink) {
    m_connection.Publish(SiteTopic(m_site, kLinkLevel), m_link, kQosAtLeastOnce, true);
    m_sentLink = m_link;
  }
}

void BrokerPublisher::Worker::EndRun() {
  if (!m_publishRun || !m_runActive) return;
  m_runActive = false;
  SetLink(kLinkStopped);
  if (m_connection.IsConnected()) {
    m_connection.Publish(SiteTopic(m_site, kStatusLevel), kStatusOffline, kQosAtLeastOnce, true);
  }
}

void BrokerPublisher::Worker::Connect() {
  MqttConnectOptions options;
  options.endpoint = m_config.endpoint;
  options.caFile = m_config.caFile;
  options.user = m_config.user;
  options.password = m_config.password;
  options.clientId = "plenx-logger-" + m_site;
  options.will = MqttWill{SiteTopic(m_site, kStatusLevel), std::string(kStatusOffline)};
  m_connectStartMs = SteadyMs();
  m_connecting = true;
  if (!m_connection.Connect(options)) ConnectionEnded();
}

void BrokerPublisher::Worker::OnConnected(bool) {
  m_connecting = false;
  m_retryDelayMs = kFirstRetryDelayMs;
  if (m_outageSaid) {
    std::string text = "Publishing to the MQTT broker " + m_config.url + " again.";
    if (m_droppedSinceSaid > 0) {
      text += " " + std::to_string(m_droppedSinceSaid) +
              " records were dropped from the full spool meanwhile; the log file keeps them.";
      m_droppedSinceSaid = 0;
    }
    Say(BrokerNotice::Kind::kRecovered, text);
  } else if (!m_everConnected) {
    Say(BrokerNotice::Kind::kInfo,
        "Publishing to the MQTT broker " + m_config.url + " as site " + m_site + ".");
  }
  m_everConnected = true;
  m_outageSaid = false;
  m_failureSaid.clear();
  m_dropSaid = false;
  // Everything is sent again on a new connection: the broker may have lost
  // its retained values, and records it acknowledged but did not keep.
  m_sendCursor = m_spool.IsOpen() ? m_spool.Head() : SpoolPosition{};
  m_inFlight.clear();
  m_kept.clear();
  m_sentLink.clear();
  std::fill(m_sentValues.begin(), m_sentValues.end(), std::string());
  std::fill(m_sentUnitStates.begin(), m_sentUnitStates.end(), std::string());
  PublishState();
}

void BrokerPublisher::Worker::PublishState() {
  if (!m_runActive) return;
  m_connection.Publish(SiteTopic(m_site, kStatusLevel), kStatusOnline, kQosAtLeastOnce, true);
  if (!m_config.discoveryPrefix.empty() && m_layout) {
    for (const DiscoveryMessage& message :
         MakeDiscoveryMessages(m_config.discoveryPrefix, m_site, *m_layout, m_names)) {
      m_connection.Publish(message.topic, message.payload, kQosAtLeastOnce, true);
    }
  }
  if (!m_link.empty()) SetLink(m_link);
  if (m_latest) PublishValues(m_latest.get());
}

void BrokerPublisher::Worker::PublishValues(const RunRecord* record) {
  if (!m_layout || record == nullptr) return;
  const size_t rows = std::min({record->filledRows, record->texts.size(), m_valueTopics.size()});
  for (size_t row = 0; row < rows; ++row) {
    std::string payload = ValuePayload(record->texts[row], m_layout->rows[row].quantity);
    if (payload == m_sentValues[row]) continue;
    if (m_connection.Publish(m_valueTopics[row], payload, kQosAtMostOnce, true) < 0) return;
    m_sentValues[row] = std::move(payload);
  }
  for (size_t list = 0; list < m_unitStateTopics.size(); ++list) {
    std::string json = UnitStateJson(*m_layout, m_names, list, *record);
    if (json == m_sentUnitStates[list]) continue;
    if (m_connection.Publish(m_unitStateTopics[list], json, kQosAtMostOnce, true) < 0) return;
    m_sentUnitStates[list] = std::move(json);
  }
}

void BrokerPublisher::Worker::SendSpool() {
  if (!m_spool.IsOpen()) return;
  const std::string topic = SiteTopic(m_site, kRecordLevel);
  while (m_inFlight.size() < kMaxInFlight) {
    std::optional<SpoolEntry> entry = m_spool.Read(m_sendCursor);
    if (!entry) break;
    const int mid = m_connection.Publish(topic, entry->payload, kQosAtLeastOnce, false);
    if (mid < 0) break;
    m_inFlight.push_back({mid, entry->next, false});
    m_sendCursor = entry->next;
  }
}

void BrokerPublisher::Worker::OnPublished(int mid) {
  const auto found = std::find_if(m_inFlight.begin(), m_inFlight.end(),
                                  [mid](const InFlight& sent) { return sent.mid == mid; });
  if (found == m_inFlight.end()) return;  // a status, a config, a value
  found->acked = true;
  uint64_t acked = 0;
  while (!m_inFlight.empty() && m_inFlight.front().acked) {
    m_kept.push_back({m_inFlight.front().next, SteadyMs()});
    m_inFlight.pop_front();
    ++acked;
  }
  std::lock_guard lock(m_owner.m_mutex);
  m_owner.m_counts.recordsAcked += acked;
}

void BrokerPublisher::Worker::DropKept() {
  const int64_t cutoff = SteadyMs() - kResendWindowMs;
  std::optional<SpoolPosition> dropTo;
  while (!m_kept.empty() && m_kept.front().ackedMs <= cutoff) {
    dropTo = m_kept.front().next;
    m_kept.pop_front();
  }
  if (dropTo) m_spool.DropBefore(*dropTo);
}

void BrokerPublisher::Worker::ConnectionEnded() {
  const bool wasConnected = !m_connecting;
  m_connecting = false;
  std::string reason = m_connection.Failure();
  if (reason.empty()) reason = "no answer within " + std::to_string(kConnectTimeoutMs / 1000) + " s";
  m_inFlight.clear();
  m_kept.clear();
  if (m_spool.IsOpen()) m_sendCursor = m_spool.Head();
  m_nextAttemptMs = SteadyMs() + m_retryDelayMs;
  m_retryDelayMs = std::min(m_retryDelayMs * 2, kLongestRetryDelayMs);
  if (reason == m_failureSaid) return;
  m_failureSaid = reason;
  m_outageSaid = true;
  const std::string what = wasConnected ? "The connection to the MQTT broker " + m_config.url + " was lost: "
                                        : "Cannot publish to the MQTT broker " + m_config.url + ": ";
  Say(BrokerNotice::Kind::kFailure, what + reason + ". Logging goes on; " + SpoolWords());
}

std::string BrokerPublisher::Worker::SpoolWords() const {
  if (!m_spool.IsOpen()) return "the records are not published until it is back.";
  return "the records wait in the spool and go out when the broker takes them again.";
}

void BrokerPublisher::Worker::ReportDropped() {
  if (!m_spool.IsOpen()) return;
  const uint64_t dropped = m_spool.TakeDroppedCount();
  if (dropped == 0) return;
  m_dropped += dropped;
  m_droppedSinceSaid += dropped;
  if (m_dropSaid) return;
  m_dropSaid = true;
  Say(BrokerNotice::Kind::kFailure, "The MQTT spool " + m_spoolFolder +
                                        " is full: the oldest records waiting for the broker " +
                                        m_config.url +
                                        " are dropped (the log file keeps them all). The count is given when "
                                        "the broker takes records again.");
}

void BrokerPublisher::Worker::UpdateCounts() {
  std::lock_guard lock(m_owner.m_mutex);
  m_owner.m_counts.recordsDropped = m_dropped;
  m_owner.m_counts.spoolBytes = m_spool.IsOpen() ? m_spool.Bytes() : 0;
  m_owner.m_counts.connected = m_connection.IsConnected();
}

void BrokerPublisher::Worker::Say(BrokerNotice::Kind kind, std::string text) {
  if (m_notice) m_notice(BrokerNotice{kind, std::move(text)});
}

// The broker face of a run: publishes the site's status, link state and
// values and every logged record to an MQTT broker (site_topics.h).
//
// The face only queues: OnRecord and the other calls hand their work to the
// publisher's own thread, which keeps the connection, writes each logged
// record to the spool (record_spool.h) before sending it, sends the spool
// in order, and removes a record once the broker has acknowledged it and
// the resend window has passed. A lost connection is tried again after 1 s,
// then 2, 4, ... up to 60 s. Nothing here waits for the network on the
// run's threads, so the link, the window and the log never wait for it.
//
// A replayed run publishes nothing: its values are not the site's.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "broker/broker_notice.h"
#include "broker/broker_settings.h"
#include "decode/change_event.h"
#include "run/run_observer.h"

// How long after the broker's acknowledgement a record is still kept and
// sent again after a reconnect: a broker killed before it saved its queue
// loses what it had acknowledged meanwhile, and the subscribers take the
// repeat by its sequence number. Longer than the broker's autosave
// interval.
inline constexpr int64_t kResendWindowMs = 60'000;

class BrokerPublisher : public RunObserver {
 public:
  // Starts the publisher's thread; it connects when a run starts.
  BrokerPublisher(BrokerConfig config, BrokerNoticeHandler notice);
  // Gives the broker up to a few seconds to take what is waiting; the rest
  // stays in the spool for the next run.
  ~BrokerPublisher() override;
  BrokerPublisher(const BrokerPublisher&) = delete;
  BrokerPublisher& operator=(const BrokerPublisher&) = delete;

  void OnRunStarted(const RunStart& start) override;
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;
  void OnRunEvent(const RunEvent& event) override;
  void OnRunEnded(const RunEnd& end) override;
  // An event of the run (EventFace's listener), published on
  // plenx/<site>/event while the broker is connected; the log keeps what
  // it misses (plenx-export --events). Events that come before the run's
  // start reaches the publisher, and those of a replay, are passed over.
  // Any thread.
  void AddChange(const ChangeEvent& change);

  struct Counts {
    uint64_t recordsSpooled = 0;  // logged records written to the spool
    uint64_t recordsAcked = 0;    // of those, acknowledged by the broker
    uint64_t recordsDropped = 0;  // dropped for the spool's limits, or never spooled
    uint64_t spoolBytes = 0;      // waiting or kept for the resend window
    bool connected = false;
  };
  // A snapshot; any thread.
  Counts GetCounts() const;

 private:
  struct Work;
  class Worker;

  void Queue(Work work);

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Work> m_queue;
  uint64_t m_queueOverflow = 0;
  bool m_stopping = false;
  Counts m_counts;
  std::unique_ptr<Worker> m_worker;
  std::thread m_thread;
};

// The events face of a run: the state changes of its records and the run's
// own events (started and stopped, "COMMUNICATION ERROR" raised and cleared,
// the port lost and back), handed to whoever listens: the window's Events
// list, later the broker and the page.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/change_deriver.h"
#include "decode/communication_watch.h"
#include "run/run_observer.h"

// The watched rows of a run's layout: the rows whose rule names a state,
// with the tab and label every face shows.
std::vector<WatchedRow> WatchedRowsOf(const RunLayout& layout);

class EventFace : public RunObserver {
 public:
  // Called with each event as the run's calls bring it, on the run's
  // thread, in time order within a run, and with the record it came with
  // (null for an event between records), so that a listener can keep the
  // values of that record. A listener returns quickly and hands slow work
  // to its own thread (see RunObserver).
  using Listener =
      std::function<void(const ChangeEvent& event, const std::shared_ptr<const RunRecord>& record)>;

  // Adds a listener; only while no run calls the face (before the run
  // starts).
  void AddListener(Listener listener);

  // Parameter and texts of the run's own events.
  static constexpr const char* kRunParameter = "Run";
  static constexpr const char* kReplayParameter = "Replay";
  static constexpr const char* kStartedText = "Started";
  static constexpr const char* kStoppedText = "Stopped";
  static constexpr const char* kPortOpenText = "Open";
  static constexpr const char* kPortLostText = "Lost";

  void OnRunStarted(const RunStart& start) override;
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;
  void OnRunEvent(const RunEvent& event) override;
  void OnRunEnded(const RunEnd& end) override;

 private:
  // Hands the events made so far to the listeners, with record for those
  // that came with it.
  void Hand(const std::shared_ptr<const RunRecord>& record = nullptr);

  std::vector<Listener> m_listeners;
  // The watched rows of the run's layout, from OnRunStarted to OnRunEnded.
  std::optional<ChangeDeriver> m_deriver;
  CommunicationWatch m_watch;
  bool m_replay = false;
  std::string m_runParameter = kRunParameter;  // "Run", or "Replay"
  std::string m_portName;                      // "COM3", the parameter of the port's events
  // Events made by the call at hand, handed on before it returns.
  std::vector<ChangeEvent> m_made;
};

// The optional faces of a run, built from the settings in one place for the
// window and the unattended run alike: the broker face when MQTT is
// configured, the live page when it is served. Both hear the run's events
// from the run's one EventFace.
//
// RunFaces is itself a face: subscribe it once, after the EventFace, and it
// hands every call on to the broker face and then to the page. Both are set
// while no run is active (before Start) and kept until RunFaces goes, which
// must be after the run has ended: the broker then has a few seconds to
// take what waits, and the page tells its browsers the logger has gone.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "faces/optional_faces.h"
#include "run/event_face.h"
#include "run/run_observer.h"

class RunFaces : public RunObserver {
 public:
  // Listens to events; before any run starts.
  explicit RunFaces(EventFace& events);
  ~RunFaces() override;
  RunFaces(const RunFaces&) = delete;
  RunFaces& operator=(const RunFaces&) = delete;

  // Serves the page as settings say, once. False, with error naming the
  // address or file and the reason, when it cannot; else accessLines tell
  // how to reach it (to show once). While no run is active.
  bool ServePage(const PageSettings& settings, std::string& error, std::vector<std::string>& accessLines);
  // Publishes as settings say from the next run on, in place of the broker
  // face so far (which is given a few seconds to take what waits); settings
  // without a URL end publishing. False, with problem, when refused: the
  // face so far is kept. While no run is active.
  bool SetBroker(const BrokerSettings& settings, BrokerNoticeHandler notice, std::string& problem);
  // Whether records are published.
  bool Publishing() const;

  void OnRunStarted(const RunStart& start) override;
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;
  void OnRunEvent(const RunEvent& event) override;
  void OnRunEnded(const RunEnd& end) override;

 private:
  // Hands a call on to the broker face, then the page; m_mutex is held
  // only for that.
  template <typename Call>
  void HandOn(const Call& call) {
    std::lock_guard lock(m_mutex);
    if (m_broker) call(m_broker->Face());
    if (m_page) call(m_page->Face());
  }

  mutable std::mutex m_mutex;
  std::unique_ptr<PublishingFace> m_broker;
  std::unique_ptr<ServedPage> m_page;
};

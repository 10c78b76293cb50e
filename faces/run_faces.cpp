// The optional faces of a run.
#include "faces/run_faces.h"

#include <utility>

void AddFaceOptions(CLI::App& app, FaceSettings& settings) {
  AddBrokerFaceOptions(app, settings.broker);
  AddPageFaceOptions(app, settings.page);
}

RunFaces::RunFaces(EventFace& events) {
  events.AddListener([this](const ChangeEvent& change, const std::shared_ptr<const RunRecord>&) {
    std::lock_guard lock(m_mutex);
    if (m_broker) m_broker->AddChange(change);
    if (m_page) m_page->AddChange(change);
  });
}

RunFaces::~RunFaces() {
  // The broker first: the page goes on showing the run while it drains.
  std::unique_ptr<PublishingFace> broker;
  std::unique_ptr<ServedPage> page;
  {
    std::lock_guard lock(m_mutex);
    broker = std::move(m_broker);
    page = std::move(m_page);
  }
  broker.reset();
  page.reset();
}

bool RunFaces::ServePage(const PageSettings& settings, std::string& error,
                         std::vector<std::string>& accessLines) {
  std::unique_ptr<ServedPage> page = ::ServePage(settings, error);
  if (!page) return false;
  accessLines = page->AccessLines();
  std::lock_guard lock(m_mutex);
  m_page = std::move(page);
  return true;
}

bool RunFaces::SetBroker(const BrokerSettings& settings, BrokerNoticeHandler notice, std::string& problem) {
  std::unique_ptr<PublishingFace> broker = MakeBrokerFace(settings, std::move(notice), problem);
  if (!problem.empty()) return false;
  {
    std::lock_guard lock(m_mutex);
    std::swap(m_broker, broker);
  }
  // The face so far drains outside the lock.
  broker.reset();
  return true;
}

bool RunFaces::Publishing() const {
  std::lock_guard lock(m_mutex);
  return m_broker != nullptr;
}

void RunFaces::OnRunStarted(const RunStart& start) {
  HandOn([&](RunObserver& face) { face.OnRunStarted(start); });
}

void RunFaces::OnRecord(const std::shared_ptr<const RunRecord>& record) {
  HandOn([&](RunObserver& face) { face.OnRecord(record); });
}

void RunFaces::OnRunEvent(const RunEvent& event) {
  HandOn([&](RunObserver& face) { face.OnRunEvent(event); });
}

void RunFaces::OnRunEnded(const RunEnd& end) {
  HandOn([&](RunObserver& face) { face.OnRunEnded(end); });
}

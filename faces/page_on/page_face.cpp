// The live page of this build: LivePage.
#include "faces/optional_faces.h"
#include "page/live_page.h"

namespace {

class LiveServedPage : public ServedPage {
 public:
  explicit LiveServedPage(std::unique_ptr<LivePage> page) : m_page(std::move(page)) {}
  RunObserver& Face() override { return m_page->face(); }
  void AddChange(const ChangeEvent& change) override { m_page->AddChange(change); }
  std::vector<std::string> AccessLines() const override { return FormatPageAccess(m_page->access()); }

 private:
  std::unique_ptr<LivePage> m_page;
};

}  // namespace

bool PageFaceBuiltIn() { return true; }

void AddPageFaceOptions(CLI::App& app, PageSettings& settings) { AddPageOptions(app, settings); }

std::unique_ptr<ServedPage> ServePage(const PageSettings& settings, std::string& error) {
  std::unique_ptr<LivePage> page = LivePage::Start(settings, error);
  if (!page) return nullptr;
  return std::make_unique<LiveServedPage>(std::move(page));
}

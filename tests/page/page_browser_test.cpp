// The live page in a real browser (headless Chromium): what it shows for
// every tab is what the window's views show, a new record arrives within a
// second, the banner follows the line, the page says when the logger has
// gone, and a browser signs in with the one-time link. With
// PLENX_SCREENSHOT_DIR set, the phone and desktop screenshots of the README
// are written there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "page/live_page.h"
#include "testkit/headless_browser.h"
#include "testkit/page_fixture.h"
#include "testkit/temp_folder.h"

namespace {

constexpr int kPageTimeoutMs = 20'000;
// A record reaches the page within a second; the margin is for a loaded machine.
constexpr int kUpdateTimeoutMs = 5'000;

// The page's tabs and rows in the form of the headless views dump.
const char* const kViewsFromDom = R"((() => {
  let out = "banner: " + (document.getElementById("banner").hidden ? "hidden" : "shown") + "\n";
  const panels = document.querySelectorAll(".panel");
  document.querySelectorAll(".tab").forEach((tab, i) => {
    out += "[" + tab.textContent + "]\n";
    for (const row of panels[i].querySelectorAll("tbody tr")) {
      out += row.querySelector(".p").textContent + "\t" + row.querySelector(".v").textContent + "\n";
    }
  });
  return out;
})())";

std::string SequenceIs(uint64_t sequence) {
  return "document.documentElement.dataset.sequence === \"" + std::to_string(sequence) + "\"";
}

void SaveScreenshot(HeadlessBrowser& browser, const char* name) {
  const char* folder = std::getenv("PLENX_SCREENSHOT_DIR");
  if (!folder) return;
  const std::string png = browser.Screenshot();
  ASSERT_FALSE(png.empty());
  std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << png;
}

class PageBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindChromium().empty())
      GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    m_config.Load("");
  }

  void StartPage(PageSettings settings = {}) {
    settings.serve = true;
    std::string error;
    m_page = LivePage::Start(settings, error);
    ASSERT_TRUE(m_page) << error;
    m_url = "http://127.0.0.1:" + std::to_string(m_page->port()) + "/";
  }

  void Feed(int count) {
    for (int r = 0; r < count; ++r) m_page->face().OnRecord(m_records.Next());
  }

  LoggerConfig m_config;
  SimulatedRecords m_records{LoggerConfig{}, 11};
  std::unique_ptr<LivePage> m_page;
  std::string m_url;
  TempFolder m_folder;
};

TEST_F(PageBrowserTest, ShowsTheWindowsTextsOnEveryTabAndFollowsTheRun) {
  StartPage();
  m_page->face().OnRunStarted(TestRunStart(m_config, "/home/tech/site.log"));
  // Ten minutes of records, so the sparklines are full.
  Feed(1250);
  // A value's change, as the events face hands it on, and one of the run's
  // own events, which the page takes from the run instead.
  ChangeEvent defrost;
  defrost.severity = EventSeverity::kState;
  defrost.time = WallClockTime(m_records.nextMs() - 60'000);
  defrost.timeMs = m_records.nextMs() - 60'000;
  defrost.listIndex = 0;
  defrost.tab = "OUTDOOR";
  defrost.parameter = "Defrost Status";
  defrost.before = "Off";
  defrost.after = "Starting";
  m_page->AddChange(defrost);
  ChangeEvent started;
  started.kind = ChangeKind::kRunStarted;
  started.parameter = "Run";
  started.after = "Started";
  m_page->AddChange(started);

  HeadlessBrowser browser;
  ASSERT_TRUE(browser.started());
  ASSERT_TRUE(browser.SetViewport(360, 740, true));
  ASSERT_TRUE(browser.Navigate(m_url));
  std::optional<JsonValue> views = browser.WaitFor(SequenceIs(1250), kViewsFromDom, kPageTimeoutMs);
  ASSERT_TRUE(views);
  EXPECT_EQ(views->string(), ExpectedViews(m_config, m_records.lastText(), false));

  // A record after the page was loaded arrives by itself.
  Feed(1);
  views = browser.WaitFor(SequenceIs(1251), kViewsFromDom, kUpdateTimeoutMs);
  ASSERT_TRUE(views);
  EXPECT_EQ(views->string(), ExpectedViews(m_config, m_records.lastText(), false));

  // The line goes quiet: the red banner, and an entry in the events.
  RunEvent quiet;
  quiet.kind = RunEventKind::kLineQuiet;
  quiet.time = WallClockTime(m_records.nextMs() + 10'000);
  quiet.timeMs = m_records.nextMs() + 10'000;
  m_page->face().OnRunEvent(quiet);
  views = browser.WaitFor("!document.getElementById('banner').hidden", kViewsFromDom, kUpdateTimeoutMs);
  ASSERT_TRUE(views);
  EXPECT_EQ(views->string(), ExpectedViews(m_config, m_records.lastText(), true));
  const std::optional<JsonValue> events = browser.Evaluate(
      "[...document.querySelectorAll('#events .event')].map((e) => e.className + ': ' + "
      "e.textContent).join('\\n')");
  ASSERT_TRUE(events);
  EXPECT_EQ(events->string(),
            "event event-fault: 14:15:19COMMUNICATION ERROR\n"
            "event event-state: 14:14:09OUTDOOR \xC2\xB7 Defrost Status: Off \xE2\x86\x92 Starting\n"
            "event event-info: 14:05:09Run started on COM9, logging to /home/tech/site.log.");

  SaveScreenshot(browser, "page-phone.png");
  ASSERT_TRUE(browser.SetViewport(1100, 900, false));
  ASSERT_TRUE(browser.Evaluate("document.querySelectorAll('.tab')[1].click(), true"));
  SaveScreenshot(browser, "page-desktop.png");

  // The logger goes: the page says so at once, and keeps the last values.
  m_page.reset();
  const std::optional<JsonValue> gone =
      browser.WaitFor("document.documentElement.dataset.gone === 'true'",
                      "document.getElementById('gone').textContent", kUpdateTimeoutMs);
  ASSERT_TRUE(gone);
  EXPECT_NE(gone->string().find("The values below are the last it sent"), std::string::npos);
  views = browser.Evaluate(kViewsFromDom);
  ASSERT_TRUE(views);
  EXPECT_EQ(views->string(), ExpectedViews(m_config, m_records.lastText(), true));
}

TEST_F(PageBrowserTest, ABrowserSignsInOnceWithTheLinkAndKeepsItsSession) {
  PageSettings settings;
  settings.tokenFile = m_folder.Write("token", "correct-horse-battery-staple\n");
  StartPage(settings);
  m_page->face().OnRunStarted(TestRunStart(m_config, ""));
  Feed(3);

  HeadlessBrowser browser;
  ASSERT_TRUE(browser.started());
  // Without a session the page sends the browser to the sign-in form.
  ASSERT_TRUE(browser.Navigate(m_url));
  ASSERT_TRUE(browser.WaitFor("location.pathname === '/login' && document.getElementById('token')", "true",
                              kPageTimeoutMs));

  const std::string link = m_page->access().signInLink;
  ASSERT_EQ(link.rfind(m_url + "login?code=", 0), 0u) << link;
  ASSERT_TRUE(browser.Navigate(link));
  ASSERT_TRUE(browser.WaitFor("location.pathname === '/' && " + SequenceIs(3), "true", kPageTimeoutMs));

  // The link works once; the session it gave goes on working.
  ASSERT_TRUE(browser.Navigate(link));
  const std::optional<JsonValue> used =
      browser.WaitFor("document.querySelector('.sign-in-message')",
                      "document.querySelector('.sign-in-message').textContent", kPageTimeoutMs);
  ASSERT_TRUE(used);
  EXPECT_NE(used->string().find("used already"), std::string::npos);
  ASSERT_TRUE(browser.Navigate(m_url));
  EXPECT_TRUE(browser.WaitFor(SequenceIs(3), "true", kPageTimeoutMs));
}

}  // namespace

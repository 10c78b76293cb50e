// The replay's control window: the speeds it offers, what its controls
// report to the owner, and the position line.
#include "panels/replay_panel.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <tuple>
#include <vector>

#include "tests/ui/qt_test_application.h"

namespace {

struct Reports {
  std::vector<double> speeds;
  std::vector<bool> pauses;
  int closes = 0;

  ReplayPanel::Handlers Handlers() {
    return {[this](double speed) { speeds.push_back(speed); },
            [this](bool paused) { pauses.push_back(paused); }, [this] { ++closes; }};
  }
};

TEST(ReplayPanel, OffersTheSpeedsAndTheOneGiven) {
  EnsureQtTestApplication();
  Reports reports;
  ReplayPanel offered(nullptr, QStringLiteral("/logs/site.log"), 10, reports.Handlers());
  ASSERT_EQ(offered.SpeedList()->count(), 4);
  EXPECT_EQ(offered.SpeedList()->itemText(0), QString::fromUtf8("1×"));
  EXPECT_EQ(offered.SpeedList()->itemText(3), QStringLiteral("As fast as possible"));
  EXPECT_EQ(offered.Speed(), 10);
  ReplayPanel given(nullptr, QStringLiteral("/logs/site.log"), 2.5, reports.Handlers());
  ASSERT_EQ(given.SpeedList()->count(), 5);
  EXPECT_EQ(given.SpeedList()->currentText(), QString::fromUtf8("2.5×"));
  EXPECT_TRUE(reports.speeds.empty());  // setting up reports nothing
}

TEST(ReplayPanel, ReportsSpeedPauseAndCloseAndShowsThePosition) {
  EnsureQtTestApplication();
  Reports reports;
  ReplayPanel panel(nullptr, QStringLiteral("/logs/site.log"), 1, reports.Handlers());
  panel.SpeedList()->setCurrentIndex(2);
  panel.PauseButton()->click();
  panel.PauseButton()->click();
  EXPECT_EQ(reports.speeds, std::vector<double>{60});
  EXPECT_EQ(reports.pauses, (std::vector<bool>{true, false}));
  EXPECT_EQ(panel.PauseButton()->text(), QStringLiteral("&Pause"));

  panel.SetPosition(QStringLiteral("2015/03/07 14:05:09.042"), 12, false);
  EXPECT_EQ(panel.PositionText(), QStringLiteral("2015/03/07 14:05:09.042  (record 12)"));
  panel.SetPosition(QStringLiteral("2015/03/07 14:05:09.542"), 13, true);
  EXPECT_EQ(panel.PositionText(), QStringLiteral("2015/03/07 14:05:09.542  (record 13), end of the log"));
  EXPECT_FALSE(panel.PauseButton()->isEnabled());
  EXPECT_FALSE(panel.SpeedList()->isEnabled());

  panel.show();
  panel.close();
  EXPECT_EQ(reports.closes, 1);
}

// The panel opens at the size its layout asks for, and every position line,
// the longest at the end of a log included, shows whole at that size.
TEST(ReplayPanel, PositionLinesShowWholeAtThePanelsSize) {
  EnsureQtTestApplication();
  Reports reports;
  ReplayPanel panel(nullptr, QStringLiteral("/logs/site.log"), 1, reports.Handlers());
  panel.show();
  const QSize opened = panel.size();
  for (const auto& [time, count, finished] :
       {std::tuple{"-", 0, false}, std::tuple{"2015/03/07 14:05:09.042", 214, false},
        std::tuple{"2015/03/07 14:07:03.042", 229, true},
        std::tuple{"2015/12/31 23:59:59.999", 1234567, true}}) {
    panel.SetPosition(QString::fromLatin1(time), static_cast<uint64_t>(count), finished);
    QCoreApplication::processEvents();
    QLabel* position = nullptr;
    for (QLabel* label : panel.findChildren<QLabel*>()) {
      if (label->text() == panel.PositionText()) position = label;
    }
    ASSERT_NE(position, nullptr);
    EXPECT_GE(position->contentsRect().width(), position->fontMetrics().horizontalAdvance(position->text()))
        << position->text().toStdString();
    EXPECT_EQ(panel.size(), opened);
  }
}

}  // namespace

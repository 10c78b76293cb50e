// The archive's progress window: hidden until its delay has passed, then
// showing how much of the log has been compressed.
#include "panels/archive_progress_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

namespace {

TEST(ArchiveProgressDialog, AppearsOnlyAfterItsDelay) {
  EnsureQtTestApplication();
  QWidget owner;
  ArchiveProgressDialog longDelay(&owner, QStringLiteral("/logs/2015-03-07_site.zip"), 60 * 1000);
  ArchiveProgressDialog noDelay(&owner, QStringLiteral("/logs/2015-03-07_site.zip"), 0);
  ASSERT_TRUE(ProcessEventsUntil([&] { return noDelay.isVisible(); }));
  EXPECT_FALSE(longDelay.isVisible());
  EXPECT_FALSE(noDelay.isModal());
}

TEST(ArchiveProgressDialog, ShowsTheShareOfTheLogCompressed) {
  EnsureQtTestApplication();
  ArchiveProgressDialog dialog(nullptr, QStringLiteral("/logs/a.zip"), 0);
  struct Case {
    uint64_t bytesRead;
    uint64_t logBytes;
    const char* text;
    int value;
  };
  const Case cases[] = {
      {0, 0, "Starting...", 0},
      {12'500'000, 200'000'000, "12.5 MB of 200.0 MB compressed", 62},
      {200'000'000, 200'000'000, "200.0 MB of 200.0 MB compressed", 1000},
      // A log that grew while it was read counts as done.
      {300, 200, "0.0 MB of 0.0 MB compressed", 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    dialog.SetProgress(c.bytesRead, c.logBytes);
    EXPECT_EQ(dialog.ProgressText().toStdString(), c.text);
    EXPECT_EQ(dialog.ProgressValue(), c.value);
  }
}

}  // namespace

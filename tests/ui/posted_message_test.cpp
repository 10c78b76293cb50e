// Messages posted from other threads: delivered in order on the
// user-interface thread, refused for a window that is gone (the poster
// keeps what it sent), and handed back when the window goes first.
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "tests/ui/window_test_support.h"

namespace {

constexpr UINT kRecordMessage = WM_APP + 1;

// Each message carries a heap payload that its receiver must delete.
class ReceiverDialog : public CDialog {
 public:
  ReceiverDialog() : CDialog(PlainDialogTemplate()) {
    MapMessage(kRecordMessage, [this](WPARAM wParam, LPARAM lParam) {
      EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
      m_received.push_back(*reinterpret_cast<int*>(lParam));
      m_unitIndexes.push_back(wParam);
      delete reinterpret_cast<int*>(lParam);
      return LRESULT{0};
    });
  }
  ~ReceiverDialog() override { DestroyWindow(); }

  std::vector<int> m_received;
  std::vector<WPARAM> m_unitIndexes;
  std::atomic<int> m_discarded{0};

 protected:
  void OnDiscardPostedMessage(UINT message, WPARAM, LPARAM lParam) override {
    ASSERT_EQ(message, kRecordMessage);
    delete reinterpret_cast<int*>(lParam);
    ++m_discarded;
  }
};

LPARAM NewPayload(int value) { return reinterpret_cast<LPARAM>(new int(value)); }

class PostedMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_TRUE(m_receiver.Create());
  }
  ReceiverDialog m_receiver;
};

TEST_F(PostedMessageTest, MessagesFromAnotherThreadArriveInOrder) {
  constexpr int kCount = 5000;
  const HWND target = m_receiver.GetSafeHwnd();
  std::thread poster([target] {
    for (int i = 0; i < kCount; ++i) ASSERT_TRUE(PostMessage(target, kRecordMessage, i % 5, NewPayload(i)));
  });
  poster.join();
  ASSERT_TRUE(RunEventsUntil([&] { return m_receiver.m_received.size() == kCount; }));
  for (int i = 0; i < kCount; ++i) {
    ASSERT_EQ(m_receiver.m_received[i], i);
    ASSERT_EQ(m_receiver.m_unitIndexes[i], static_cast<WPARAM>(i % 5));
  }
}

TEST_F(PostedMessageTest, PostToAWindowThatIsGoneFailsAndThePosterKeepsThePayload) {
  const HWND target = m_receiver.GetSafeHwnd();
  m_receiver.DestroyWindow();
  ASSERT_TRUE(m_receiver.Create());  // a new window on the same object has a new handle

  const LPARAM payload = NewPayload(1);
  EXPECT_FALSE(PostMessage(target, kRecordMessage, 0, payload));
  delete reinterpret_cast<int*>(payload);
  RunEventsUntil([] { return false; }, 50);
  EXPECT_TRUE(m_receiver.m_received.empty());
}

TEST_F(PostedMessageTest, MessagesOutsideTheApplicationRangeAreRefused) {
  for (UINT message : {0x0010u, WM_USER - 1, kLastApplicationMessage + 1}) {
    EXPECT_FALSE(m_receiver.PostMessage(message, 0, 0)) << message;
  }
}

TEST_F(PostedMessageTest, EveryPayloadIsHandledDiscardedOrLeftWithThePosterWhenTheWindowGoesMidway) {
  constexpr int kCount = 20000;
  const HWND target = m_receiver.GetSafeHwnd();
  std::atomic<int> refused{0};
  std::thread poster([&] {
    for (int i = 0; i < kCount; ++i) {
      const LPARAM payload = NewPayload(i);
      if (!PostMessage(target, kRecordMessage, 0, payload)) {
        delete reinterpret_cast<int*>(payload);
        ++refused;
      }
    }
  });
  RunEventsUntil([&] { return m_receiver.m_received.size() >= 100; });
  m_receiver.DestroyWindow();
  poster.join();
  RunEventsUntil([] { return false; }, 50);  // wake-ups for discarded messages find nothing

  EXPECT_EQ(static_cast<int>(m_receiver.m_received.size()) + m_receiver.m_discarded + refused, kCount);
}

TEST_F(PostedMessageTest, PumpDeliversWhatIsAlreadyQueued) {
  for (int i = 0; i < 3; ++i) m_receiver.PostMessage(kRecordMessage, 0, NewPayload(i));
  PumpPostedMessages();
  EXPECT_EQ(m_receiver.m_received, (std::vector<int>{0, 1, 2}));
}

// Timers -------------------------------------------------------------------

class TimerDialog : public CDialog {
 public:
  TimerDialog() : CDialog(PlainDialogTemplate()) {}
  ~TimerDialog() override { DestroyWindow(); }
  std::vector<UINT_PTR> m_ticks;
  QElapsedTimer m_clock;
  qint64 m_firstTickMs = -1;

 protected:
  void OnTimer(UINT_PTR nIDEvent) override {
    if (m_firstTickMs < 0) m_firstTickMs = m_clock.elapsed();
    m_ticks.push_back(nIDEvent);
  }
};

TEST(TimerTest, TimerRepeatsUntilKilledAndEndsWithTheWindow) {
  EnsureQtTestApplication();
  TimerDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.SetTimer(3, 10), 3u);
  ASSERT_TRUE(RunEventsUntil([&] { return dialog.m_ticks.size() >= 3; }));
  EXPECT_EQ(dialog.m_ticks[0], 3u);
  EXPECT_TRUE(dialog.KillTimer(3));
  EXPECT_FALSE(dialog.KillTimer(3));
  const std::size_t ticks = dialog.m_ticks.size();
  RunEventsUntil([] { return false; }, 50);
  EXPECT_EQ(dialog.m_ticks.size(), ticks);

  dialog.SetTimer(4, 10);
  dialog.DestroyWindow();
  ASSERT_TRUE(dialog.Create());
  RunEventsUntil([] { return false; }, 50);
  EXPECT_EQ(dialog.m_ticks.size(), ticks);
  EXPECT_FALSE(dialog.KillTimer(4));
}

// The restart comes early in the period, so a machine that stalls the test
// for most of a period still sees it before the first tick.
TEST(TimerTest, SettingARunningTimerAgainRestartsItsPeriod) {
  EnsureQtTestApplication();
  constexpr int kPeriodMs = 600;
  constexpr int kRestartAfterMs = 100;
  // Qt may move a coarse timer's tick by up to 5 % of its period.
  constexpr int kShiftMs = kPeriodMs / 20;
  TimerDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.m_clock.start();
  dialog.SetTimer(1, kPeriodMs);
  RunEventsUntil([&] { return dialog.m_clock.elapsed() >= kRestartAfterMs; });
  ASSERT_TRUE(dialog.m_ticks.empty());
  const qint64 restartMs = dialog.m_clock.elapsed();
  dialog.SetTimer(1, kPeriodMs);
  ASSERT_TRUE(RunEventsUntil([&] { return !dialog.m_ticks.empty(); }));
  // Restarted, it fires at least kPeriodMs - kShiftMs after the restart;
  // without the restart it would have fired at most kPeriodMs + kShiftMs
  // after the start, kRestartAfterMs earlier. The bound lies between both.
  EXPECT_GE(dialog.m_firstTickMs - restartMs, kPeriodMs - 2 * kShiftMs);
}

// A precise timer never fires before its period is over; a coarse one may
// fire up to 5 % early, which is why the watchdog asks for a precise one.
TEST(TimerTest, PreciseTimerNeverFiresEarly) {
  EnsureQtTestApplication();
  constexpr int kPeriodMs = 400;
  TimerDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.m_clock.start();
  dialog.SetTimer(1, kPeriodMs, TimerAccuracy::kPrecise);
  ASSERT_TRUE(RunEventsUntil([&] { return !dialog.m_ticks.empty(); }));
  // The clocks may count the start a millisecond apart.
  EXPECT_GE(dialog.m_firstTickMs, kPeriodMs - 1);
}

}  // namespace

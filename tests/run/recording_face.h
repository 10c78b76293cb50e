// A face for tests of the run: it keeps every call it gets, checks that no
// two overlap and that a run's calls come between its start and its end,
// and lets the test wait for what it expects.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "run/run_observer.h"

class RecordingFace : public RunObserver {
 public:
  // Long enough for any record or event on a loaded machine under sanitizers.
  static constexpr int kWaitMs = 20000;

  void OnRunStarted(const RunStart& start) override {
    const Call call(*this);
    std::lock_guard lock(m_mutex);
    EXPECT_FALSE(m_running) << "a second start before the end";
    m_running = true;
    m_starts.push_back(start);
    m_changed.notify_all();
  }
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override {
    const Call call(*this);
    std::lock_guard lock(m_mutex);
    EXPECT_TRUE(m_running) << "a record outside a run";
    m_records.push_back(record);
    m_changed.notify_all();
  }
  void OnRunEvent(const RunEvent& event) override {
    const Call call(*this);
    std::lock_guard lock(m_mutex);
    EXPECT_TRUE(m_running) << "an event outside a run";
    m_events.push_back(event);
    m_changed.notify_all();
  }
  void OnRunEnded(const RunEnd& end) override {
    const Call call(*this);
    std::lock_guard lock(m_mutex);
    EXPECT_TRUE(m_running) << "an end without a start";
    m_running = false;
    m_ends.push_back(end);
    m_changed.notify_all();
  }

  // Waits until done(face) holds; false after kWaitMs.
  bool WaitFor(const std::function<bool(const RecordingFace&)>& done) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return done(*this); });
  }
  bool WaitForRecords(size_t count) {
    return WaitFor([count](const RecordingFace& face) { return face.m_records.size() >= count; });
  }
  bool WaitForEvent(RunEventKind kind) {
    return WaitFor([kind](const RecordingFace& face) { return face.CountLocked(kind) > 0; });
  }
  bool WaitForEnd() {
    return WaitFor([](const RecordingFace& face) { return !face.m_ends.empty(); });
  }

  // Copies, once the calls of interest have come.
  std::vector<std::shared_ptr<const RunRecord>> Records() const {
    std::lock_guard lock(m_mutex);
    return m_records;
  }
  std::vector<RunEvent> Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
  }
  std::vector<RunEventKind> EventKinds() const {
    std::lock_guard lock(m_mutex);
    std::vector<RunEventKind> kinds;
    for (const RunEvent& event : m_events) {
      if (event.kind != RunEventKind::kArchiveProgress) kinds.push_back(event.kind);
    }
    return kinds;
  }
  size_t Count(RunEventKind kind) const {
    std::lock_guard lock(m_mutex);
    return CountLocked(kind);
  }
  std::vector<RunStart> Starts() const {
    std::lock_guard lock(m_mutex);
    return m_starts;
  }
  std::optional<RunEnd> End() const {
    std::lock_guard lock(m_mutex);
    return m_ends.empty() ? std::nullopt : std::optional<RunEnd>(m_ends.back());
  }

 private:
  // Marks a call in progress; a second one at the same time fails the test.
  class Call {
   public:
    explicit Call(RecordingFace& face) : m_face(face) {
      EXPECT_FALSE(m_face.m_inCall.exchange(true)) << "two calls at once";
    }
    ~Call() { m_face.m_inCall = false; }

   private:
    RecordingFace& m_face;
  };

  size_t CountLocked(RunEventKind kind) const {
    size_t count = 0;
    for (const RunEvent& event : m_events) count += event.kind == kind;
    return count;
  }

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::atomic<bool> m_inCall{false};
  bool m_running = false;
  std::vector<RunStart> m_starts;
  std::vector<std::shared_ptr<const RunRecord>> m_records;
  std::vector<RunEvent> m_events;
  std::vector<RunEnd> m_ends;
};

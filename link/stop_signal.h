// The reader's stop request: a flag polled between reads, and a wait that
// it cuts short.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class StopSignal {
 public:
  // Withdraws the request; before a reader starts.
  void Clear() { m_set.store(false); }

  // Asks the reader to stop and wakes it from WaitFor. Any thread.
  void Set() {
    {
      // Under the lock, so a waiter cannot miss the change between its
      // check and its sleep.
      std::lock_guard lock(m_mutex);
      m_set.store(true);
    }
    m_wake.notify_all();
  }

  // Whether stopping was asked for; cheap enough for every byte. Any thread.
  bool IsSet() const { return m_set.load(); }

  // Waits up to timeoutMs, less when stopping is asked for meanwhile.
  // Returns IsSet().
  bool WaitFor(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set.load(); });
  }

 private:
  std::atomic<bool> m_set{false};
  std::mutex m_mutex;
  std::condition_variable m_wake;
};

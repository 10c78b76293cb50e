// A receiving window for tests and benchmarks of the link: it queues the
// posted records for another thread to take.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "link/record_post.h"

class RecordQueue final : public RecordWindow {
 public:
  struct Message {
    uint32_t message = 0;
    std::unique_ptr<std::string> recordText;
    int unitIndex = 0;
  };

  // Queues the record; false once Destroy was called. Any thread.
  bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) override {
    {
      std::lock_guard lock(m_mutex);
      if (m_destroyed) return false;
      m_messages.push_back(Message{message, std::move(recordText), unitIndex});
    }
    m_posted.notify_one();
    return true;
  }

  // The oldest queued message, waiting up to timeoutMs for one; nullopt when
  // none came in that time. Any thread.
  std::optional<Message> WaitPop(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_messages.empty(); })) {
      return std::nullopt;
    }
    Message front = std::move(m_messages.front());
    m_messages.pop_front();
    return front;
  }

  // Messages queued and not yet taken.
  size_t Size() const {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
  }

  // Refuses every later post, as a destroyed window does.
  void Destroy() {
    std::lock_guard lock(m_mutex);
    m_destroyed = true;
  }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<Message> m_messages;
  bool m_destroyed = false;
};

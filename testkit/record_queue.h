// A receiving window for tests and benchmarks of the link: it queues the
// posted records and line events for another thread to take.
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
    m_posted.notify_all();
    return true;
  }

  struct Event {
    LinkEvent event = LinkEvent::kLineLost;
    int error = 0;
  };

  // Queues the event apart from the records; false once Destroy was called.
  bool PostLinkEvent(LinkEvent event, int error) override {
    {
      std::lock_guard lock(m_mutex);
      if (m_destroyed) return false;
      m_events.push_back(Event{event, error});
    }
    m_posted.notify_all();
    return true;
  }

  // The oldest queued event, waiting up to timeoutMs for one; nullopt when
  // none came in that time. Any thread.
  std::optional<Event> WaitEvent(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_events.empty(); })) {
      return std::nullopt;
    }
    Event front = m_events.front();
    m_events.pop_front();
    return front;
  }

  // Events queued and not yet taken.
  size_t EventCount() const {
    std::lock_guard lock(m_mutex);
    return m_events.size();
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
  std::deque<Event> m_events;
  bool m_destroyed = false;
};

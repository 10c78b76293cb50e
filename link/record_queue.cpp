// Thread-safe queue of posted records.
#include "link/record_queue.h"

#include <chrono>
#include <utility>

bool RecordQueue::PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) {
  {
    std::lock_guard lock(m_mutex);
    if (m_destroyed) {
      return false;
    }
    m_messages.push_back(Message{message, std::move(recordText), unitIndex});
  }
  m_posted.notify_one();
  return true;
}

std::optional<RecordQueue::Message> RecordQueue::WaitPop(int timeoutMs) {
  std::unique_lock lock(m_mutex);
  if (!m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [this] { return !m_messages.empty(); })) {
    return std::nullopt;
  }
  Message front = std::move(m_messages.front());
  m_messages.pop_front();
  return front;
}

size_t RecordQueue::Size() const {
  std::lock_guard lock(m_mutex);
  return m_messages.size();
}

void RecordQueue::Destroy() {
  std::lock_guard lock(m_mutex);
  m_destroyed = true;
}

// A window stand-in that queues posted records for another thread: what
// tests, benchmarks and tools receive the link's records with.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "link/record_post.h"

class RecordQueue final : public RecordWindow {
 public:
  struct Message {
    uint32_t message = 0;
    std::unique_ptr<std::string> recordText;
    int unitIndex = 0;
  };

  // Queues the record; false once Destroy was called. Any thread.
  bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) override;

  // The oldest queued message, waiting up to timeoutMs for one; nullopt when
  // none came in that time. Any thread.
  std::optional<Message> WaitPop(int timeoutMs);

  // Messages queued and not yet taken.
  size_t Size() const;

  // Refuses every later post, as a destroyed window does.
  void Destroy();

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<Message> m_messages;
  bool m_destroyed = false;
};

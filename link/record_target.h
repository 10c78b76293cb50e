// The receiving window and message of the link's records, shared between
// the user-interface thread that sets them and the reader that posts to them.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/record_post.h"

// Publishes the window and the message as one pair, without a lock: a reader
// never sees the window of one Store with the message of another.
class RecordTarget {
 public:
  struct Binding {
    WindowHandle window = nullptr;
    uint32_t message = 0;
  };

  // Replaces the pair. One writer only: the user-interface thread.
  void Store(WindowHandle window, uint32_t message);
  // The pair last stored; any thread.
  Binding Load() const;

 private:
  // Even between Stores, odd while one is under way. Every access is
  // sequentially consistent, which is what makes the version check order the
  // two field reads against a concurrent Store.
  std::atomic<uint32_t> m_version{0};
  std::atomic<WindowHandle> m_window{nullptr};
  std::atomic<uint32_t> m_message{0};
};

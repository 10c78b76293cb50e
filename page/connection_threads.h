// The threads that serve the page's connections: one per connection in
// service, started as connections come and kept for the next, up to a
// ceiling; connections beyond it wait their turn.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ConnectionThreads final : public httplib::TaskQueue {
 public:
  explicit ConnectionThreads(size_t maxThreads) : m_maxThreads(maxThreads) {}
  ~ConnectionThreads() override { shutdown(); }

  // The listening thread hands each accepted connection here.
  void enqueue(std::function<void()> job) override;
  // Runs every job still waiting (each closes its connection), then joins
  // the threads. The server has stopped accepting by then.
  void shutdown() override;

 private:
  void Serve();

  const size_t m_maxThreads;
  std::mutex m_mutex;
  std::condition_variable m_jobWaiting;
  std::deque<std::function<void()>> m_jobs;
  std::vector<std::thread> m_threads;
  size_t m_idleThreads = 0;
  bool m_shuttingDown = false;
};

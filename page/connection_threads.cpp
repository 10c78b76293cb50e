// Threads of the page's connections.
#include "page/connection_threads.h"

void ConnectionThreads::enqueue(std::function<void()> job) {
  const std::lock_guard lock(m_mutex);
  m_jobs.push_back(std::move(job));
  if (m_idleThreads < m_jobs.size() && m_threads.size() < m_maxThreads) {
    m_threads.emplace_back([this] { Serve(); });
  } else {
    m_jobWaiting.notify_one();
  }
}

void ConnectionThreads::Serve() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    ++m_idleThreads;
    m_jobWaiting.wait(lock, [this] { return !m_jobs.empty() || m_shuttingDown; });
    --m_idleThreads;
    if (m_jobs.empty()) return;
    std::function<void()> job = std::move(m_jobs.front());
    m_jobs.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}

void ConnectionThreads::shutdown() {
  std::vector<std::thread> threads;
  {
    const std::lock_guard lock(m_mutex);
    m_shuttingDown = true;
    threads.swap(m_threads);
  }
  m_jobWaiting.notify_all();
  for (std::thread& thread : threads) thread.join();
}

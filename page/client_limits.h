// How much of the page's server each client may take: connections at once,
// overall and per address, and requests per second per address.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "page/page_limits.h"

// Why a connection is refused; kNone when it is served.
enum class Refusal : uint8_t { kNone, kTooManyClients, kTooManyFromAddress };

// Thread-safe.
class ConnectionCounter {
 public:
  explicit ConnectionCounter(const PageLimits& limits) : m_limits(limits) {}

  // Counts a connection from address in, unless that would pass a limit.
  Refusal Admit(const std::string& address);
  // Counts an admitted connection out.
  void Release(const std::string& address);

 private:
  const PageLimits m_limits;
  std::mutex m_mutex;
  int m_total = 0;
  std::unordered_map<std::string, int> m_byAddress;
};

// A token bucket per address: requestBurst tokens, refilled at
// requestsPerSecond. Thread-safe.
class RequestRateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  explicit RequestRateLimiter(const PageLimits& limits) : m_limits(limits) {}

  // Takes a token of address's bucket; false when it is empty.
  bool Allow(const std::string& address, Clock::time_point now);

 private:
  struct Bucket {
    double tokens = 0;
    Clock::time_point refilled;
  };
  // Forgets addresses whose buckets have filled up again, so the table stays
  // small however many addresses come by.
  void ForgetFullBuckets(Clock::time_point now);

  const PageLimits m_limits;
  std::mutex m_mutex;
  std::unordered_map<std::string, Bucket> m_buckets;
};

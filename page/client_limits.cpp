// Connection and request limits per client.
#include "page/client_limits.h"

#include <algorithm>

namespace {
// Addresses remembered before full buckets are forgotten.
constexpr size_t kBucketsBeforeCleanUp = 1024;
}  // namespace

Refusal ConnectionCounter::Admit(const std::string& address) {
  const std::lock_guard lock(m_mutex);
  if (m_total >= m_limits.maxClients) return Refusal::kTooManyClients;
  int& fromAddress = m_byAddress[address];
  if (fromAddress >= m_limits.maxClientsPerAddress) {
    if (fromAddress == 0) m_byAddress.erase(address);
    return Refusal::kTooManyFromAddress;
  }
  ++fromAddress;
  ++m_total;
  return Refusal::kNone;
}

void ConnectionCounter::Release(const std::string& address) {
  const std::lock_guard lock(m_mutex);
  --m_total;
  const auto found = m_byAddress.find(address);
  if (found != m_byAddress.end() && --found->second <= 0) m_byAddress.erase(found);
}

bool RequestRateLimiter::Allow(const std::string& address, Clock::time_point now) {
  const std::lock_guard lock(m_mutex);
  if (m_buckets.size() >= kBucketsBeforeCleanUp) ForgetFullBuckets(now);
  Bucket& bucket = m_buckets.try_emplace(address, Bucket{m_limits.requestBurst, now}).first->second;
  const double elapsedSeconds = std::chrono::duration<double>(now - bucket.refilled).count();
  bucket.tokens =
      std::min(m_limits.requestBurst, bucket.tokens + elapsedSeconds * m_limits.requestsPerSecond);
  bucket.refilled = now;
  if (bucket.tokens < 1) return false;
  bucket.tokens -= 1;
  return true;
}

void RequestRateLimiter::ForgetFullBuckets(Clock::time_point now) {
  std::erase_if(m_buckets, [&](const auto& entry) {
    const Bucket& bucket = entry.second;
    const double elapsedSeconds = std::chrono::duration<double>(now - bucket.refilled).count();
    return bucket.tokens + elapsedSeconds * m_limits.requestsPerSecond >= m_limits.requestBurst;
  });
}

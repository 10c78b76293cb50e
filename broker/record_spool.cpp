// The on-disk queue of the records on their way to the broker.
#include "broker/record_spool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "archive/crc32.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

constexpr uint64_t kEntryHeaderBytes = 16;
// Segments hold about an eighth of the limit, so dropping the oldest one
// frees a little of the spool, not all of it.
constexpr uint64_t kSmallestSegmentBytes = 64 * 1024;
constexpr uint64_t kLargestSegmentBytes = 4 * 1024 * 1024;
constexpr uint64_t kSegmentsPerLimit = 8;
constexpr std::string_view kSegmentSuffix = ".seg";
constexpr size_t kSegmentDigits = 16;
constexpr const char* kHeadFileName = "head";
constexpr const char* kLockFileName = "lock";
// An entry longer than this is damage, not a record.
constexpr uint32_t kLargestPayloadBytes = 16 * 1024 * 1024;
constexpr size_t kHeadTextBytes = 48;

uint32_t PayloadCrc(std::string_view payload) {
  return Crc32Update(0, reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
}

}  // namespace

void RecordSpool::SetProblem(const std::string& what, int error) {
  m_problem = what + ": " + SystemErrorText(error);
}

std::string RecordSpool::SegmentPath(uint64_t number) const {
  char name[kSegmentDigits + 8];
  std::snprintf(name, sizeof name, "%016" PRIu64 ".seg", number);
  return m_folder + "/" + name;
}

bool RecordSpool::Open(const std::string& folder, const SpoolLimits& limits) {
  Close();
  m_folder = folder;
  m_limits = limits;
  m_segmentBytes =
      std::clamp(limits.maxBytes / kSegmentsPerLimit, kSmallestSegmentBytes, kLargestSegmentBytes);
  m_problem.clear();

  std::error_code made;
  std::filesystem::create_directories(folder, made);
  if (made) {
    SetProblem(folder, made.value());
    return false;
  }
  const std::string lockPath = folder + "/" + kLockFileName;
  m_lockFd = OpenFile(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_lockFd < 0) {
    SetProblem(lockPath, errno);
    return false;
  }
  if (flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    m_problem = folder + ": " + (error == EWOULDBLOCK ? "in use by another logger" : SystemErrorText(error));
    CloseFile(m_lockFd);
    m_lockFd = -1;
    return false;
  }

  std::vector<uint64_t> numbers;
  std::error_code listed;
  for (const auto& item : std::filesystem::directory_iterator(folder, listed)) {
    const std::string name = item.path().filename().string();
    if (name.size() != kSegmentDigits + kSegmentSuffix.size() || !name.ends_with(kSegmentSuffix)) continue;
    if (!std::all_of(name.begin(), name.begin() + kSegmentDigits,
                     [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    numbers.push_back(std::stoull(name.substr(0, kSegmentDigits)));
  }
  if (listed) {
    SetProblem(folder, listed.value());
    Close();
    return false;
  }
  std::sort(numbers.begin(), numbers.end());
  for (const uint64_t number : numbers) {
    struct stat status {};
    if (stat(SegmentPath(number).c_str(), &status) != 0) continue;
    m_segments.push_back({number, static_cast<uint64_t>(status.st_size)});
  }

  const std::string headPath = folder + "/" + kHeadFileName;
  m_headFd = OpenFile(headPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_headFd < 0) {
    SetProblem(headPath, errno);
    Close();
    return false;
  }
  char text[kHeadTextBytes + 1] = {};
  bool failed = false;
  ReadAll(m_headFd, text, kHeadTextBytes, failed);
  uint64_t segment = 0;
  uint64_t offset = 0;
  if (std::sscanf(text, "%" SCNu64 " %" SCNu64, &segment, &offset) == 2) m_head = {segment, offset};
  // Segments wholly before the head were sent; a kill kept them.
  while (!m_segments.empty() && m_segments.front().number < m_head.segment) {
    unlink(SegmentPath(m_segments.front().number).c_str());
    m_segments.pop_front();
  }
  if (m_segments.empty() || m_segments.front().number != m_head.segment ||
      m_head.offset > m_segments.front().sizeBytes) {
    m_head = {m_segments.empty() ? 0 : m_segments.front().number, 0};
  }
  CutTornTail();
  const uint64_t appendNumber = m_segments.empty() ? m_head.segment : m_segments.back().number;
  if (!OpenAppendSegment(appendNumber)) {
    Close();
    return false;
  }
  if (m_segments.empty()) m_head = {appendNumber, 0};
  SaveHead();
  return true;
}

void RecordSpool::Close() {
  for (int* fd : {&m_appendFd, &m_readFd, &m_headFd, &m_lockFd}) {
    if (*fd >= 0) CloseFile(*fd);
    *fd = -1;
  }
  m_segments.clear();
  m_head = {};
}

bool RecordSpool::OpenAppendSegment(uint64_t number) {
  if (m_appendFd >= 0) CloseFile(m_appendFd);
  const std::string path = SegmentPath(number);
  m_appendFd = OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (m_appendFd < 0) {
    SetProblem(path, errno);
    return false;
  }
  if (m_segments.empty() || m_segments.back().number != number) m_segments.push_back({number, 0});
  return true;
}

int RecordSpool::ReadFd(uint64_t segment) {
  if (m_readFd >= 0 && m_readSegment == segment) return m_readFd;
  if (m_readFd >= 0) CloseFile(m_readFd);
  m_readFd = OpenFile(SegmentPath(segment).c_str(), O_RDONLY | O_CLOEXEC);
  m_readSegment = segment;
  return m_readFd;
}

bool RecordSpool::ReadHeader(uint64_t segment, uint64_t offset, uint32_t& length, uint32_t& crc,
                             int64_t& timeMs) {
  const int fd = ReadFd(segment);
  unsigned char header[kEntryHeaderBytes];
  if (fd < 0 ||
      pread(fd, header, sizeof header, static_cast<off_t>(offset)) != static_cast<ssize_t>(sizeof header)) {
    return false;
  }
  std::memcpy(&length, header, 4);
  std::memcpy(&crc, header + 4, 4);
  std::memcpy(&timeMs, header + 8, 8);
  return length <= kLargestPayloadBytes;
}

void RecordSpool::CutTornTail() {
  if (m_segments.empty()) return;
  Segment& last = m_segments.back();
  uint64_t offset = m_segments.size() == 1 ? m_head.offset : 0;
  uint64_t length = 0;
  for (;;) {
    uint32_t payloadBytes = 0;
    uint32_t crc = 0;
    int64_t timeMs = 0;
    if (offset + kEntryHeaderBytes > last.sizeBytes ||
        !ReadHeader(last.number, offset, payloadBytes, crc, timeMs)) {
      break;
    }
    length = kEntryHeaderBytes + payloadBytes;
    if (offset + length > last.sizeBytes) break;
    std::string payload(payloadBytes, '\0');
    if (pread(m_readFd, payload.data(), payloadBytes, static_cast<off_t>(offset + kEntryHeaderBytes)) !=
            static_cast<ssize_t>(payloadBytes) ||
        PayloadCrc(payload) != crc) {
      break;
    }
    offset += length;
  }
  if (offset < last.sizeBytes) {
    if (truncate(SegmentPath(last.number).c_str(), static_cast<off_t>(offset)) == 0) last.sizeBytes = offset;
  }
}

SpoolPosition RecordSpool::End() const {
  if (m_segments.empty()) return m_head;
  return {m_segments.back().number, m_segments.back().sizeBytes};
}

uint64_t RecordSpool::Bytes() const {
  uint64_t bytes = 0;
  for (const Segment& segment : m_segments) bytes += segment.sizeBytes;
  return bytes - std::min(bytes, m_head.offset);
}

bool RecordSpool::Append(int64_t timeMs, std::string_view payload) {
  if (!IsOpen()) return false;
  if (m_segments.back().sizeBytes >= m_segmentBytes) {
    if (!OpenAppendSegment(m_segments.back().number + 1)) return false;
  }
  std::string entry(kEntryHeaderBytes, '\0');
  const auto length = static_cast<uint32_t>(payload.size());
  const uint32_t crc = PayloadCrc(payload);
  std::memcpy(entry.data(), &length, 4);
  std::memcpy(entry.data() + 4, &crc, 4);
  std::memcpy(entry.data() + 8, &timeMs, 8);
  entry += payload;
  const size_t written = WriteAll(m_appendFd, entry);
  if (written != entry.size()) {
    const int error = errno;
    // Leaves no part of the entry, so the next one starts clean.
    if (ftruncate(m_appendFd, static_cast<off_t>(m_segments.back().sizeBytes)) != 0) {
      // Opening the spool again cuts the rest.
    }
    SetProblem(SegmentPath(m_segments.back().number), error);
    return false;
  }
  m_segments.back().sizeBytes += entry.size();
  while (Bytes() > m_limits.maxBytes && m_segments.size() > 1) DropFirstSegment();
  return true;
}

void RecordSpool::DropFirstSegment() {
  const Segment first = m_segments.front();
  uint64_t offset = m_head.segment == first.number ? m_head.offset : 0;
  while (offset + kEntryHeaderBytes <= first.sizeBytes) {
    uint32_t length = 0;
    uint32_t crc = 0;
    int64_t timeMs = 0;
    if (!ReadHeader(first.number, offset, length, crc, timeMs)) break;
    offset += kEntryHeaderBytes + length;
    ++m_dropped;
  }
  if (m_readFd >= 0 && m_readSegment == first.number) {
    CloseFile(m_readFd);
    m_readFd = -1;
  }
  unlink(SegmentPath(first.number).c_str());
  m_segments.pop_front();
  m_head = {m_segments.front().number, 0};
  SaveHead();
}

std::optional<SpoolEntry> RecordSpool::Read(SpoolPosition position) {
  if (!IsOpen()) return std::nullopt;
  if (position < m_head) position = m_head;
  for (const Segment& segment : m_segments) {
    if (segment.number < position.segment) continue;
    const uint64_t offset = segment.number == position.segment ? position.offset : 0;
    if (offset + kEntryHeaderBytes > segment.sizeBytes) continue;
    SpoolEntry entry;
    uint32_t length = 0;
    uint32_t crc = 0;
    bool good = ReadHeader(segment.number, offset, length, crc, entry.timeMs) &&
                offset + kEntryHeaderBytes + length <= segment.sizeBytes;
    if (good) {
      entry.payload.resize(length);
      good = pread(m_readFd, entry.payload.data(), length, static_cast<off_t>(offset + kEntryHeaderBytes)) ==
                 static_cast<ssize_t>(length) &&
             PayloadCrc(entry.payload) == crc;
    }
    if (!good) {
      // The rest of a damaged segment cannot be found; it is lost.
      ++m_dropped;
      continue;
    }
    entry.next = {segment.number, offset + kEntryHeaderBytes + length};
    return entry;
  }
  return std::nullopt;
}

void RecordSpool::DropBefore(SpoolPosition position) {
  if (position <= m_head) return;
  while (m_segments.size() > 1 && m_segments.front().number < position.segment) {
    if (m_readFd >= 0 && m_readSegment == m_segments.front().number) {
      CloseFile(m_readFd);
      m_readFd = -1;
    }
    unlink(SegmentPath(m_segments.front().number).c_str());
    m_segments.pop_front();
  }
  m_head = std::min(position, End());
  if (m_head.segment < m_segments.front().number) m_head = {m_segments.front().number, 0};
  SaveHead();
}

void RecordSpool::DropExpired(int64_t nowMs) {
  if (m_limits.maxAgeMs <= 0) return;
  SpoolPosition position = m_head;
  uint64_t expired = 0;
  while (std::optional<SpoolEntry> entry = Read(position)) {
    if (nowMs - entry->timeMs <= m_limits.maxAgeMs) break;
    position = entry->next;
    ++expired;
  }
  if (expired == 0) return;
  m_dropped += expired;
  DropBefore(position);
}

uint64_t RecordSpool::TakeDroppedCount() {
  const uint64_t dropped = m_dropped;
  m_dropped = 0;
  return dropped;
}

void RecordSpool::SaveHead() {
  if (m_headFd < 0) return;
  char text[kHeadTextBytes];
  std::memset(text, ' ', sizeof text);
  const int length = std::snprintf(text, sizeof text, "%" PRIu64 " %" PRIu64, m_head.segment, m_head.offset);
  text[length] = ' ';
  text[sizeof text - 1] = '\n';
  // One small write at the start: a kill leaves the old or the new head.
  WriteAllAt(m_headFd, text, sizeof text, 0);
}

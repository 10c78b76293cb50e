// The free-space guard: oldest archives first, then the raw capture.
#include "upkeep/disk_guard.h"

#include <cerrno>

#include "platform/folder_files.h"
#include "platform/free_space.h"
#include "platform/full_path.h"
#include "upkeep/day_archives.h"

namespace {

constexpr uint64_t kBytesPerMB = 1024 * 1024;

std::string Plural(uint64_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

DiskGuard::DiskGuard(uint64_t minFreeMB, FreeSpaceProbe probe)
    : m_minFreeBytes(minFreeMB * kBytesPerMB),
      m_probe(probe ? std::move(probe) : FreeSpaceProbe(FreeBytesAt)) {}

DiskGuard::Outcome DiskGuard::Check(const std::string& logPath, const std::string& rawCapturePath) {
  Outcome outcome;
  if (m_minFreeBytes == 0) return outcome;
  const std::string folder = FolderOf(logPath);
  const auto enoughRoom = [&] {
    const std::optional<uint64_t> free = m_probe(folder);
    return !free || *free >= m_minFreeBytes;  // unknown: nothing to act on
  };
  if (enoughRoom()) {
    m_warned = false;
    return outcome;
  }

  const std::optional<std::vector<DayArchive>> archives = ListDayArchives(logPath);
  if (archives) {
    for (const DayArchive& archive : *archives) {
      if (enoughRoom()) break;
      if (RemoveFile(archive.path)) outcome.removedArchives.push_back(archive.path);
    }
  }
  m_archivesRemoved += outcome.removedArchives.size();
  const bool stillShort = !enoughRoom();
  if (stillShort && !rawCapturePath.empty() && !m_rawCaptureStopped) {
    outcome.stopRawCapture = true;
    m_rawCaptureStopped = true;
  }
  if (m_warned) return outcome;
  m_warned = true;

  std::string& text = outcome.warning;
  text = "Less than " + std::to_string(m_minFreeBytes / kBytesPerMB) + " MB is free on the disk of " +
         FullPath(logPath) + ": ";
  const std::string logName = NameOf(logPath);
  if (!outcome.removedArchives.empty()) {
    text += "removed " + Plural(outcome.removedArchives.size(), "archive") + " of " + logName +
            ", the oldest first (" + NameOf(outcome.removedArchives.front());
    if (outcome.removedArchives.size() > 1) text += " to " + NameOf(outcome.removedArchives.back());
    text += ")";
    if (outcome.stopRawCapture) text += ", and stopped the raw capture " + FullPath(rawCapturePath);
  } else if (outcome.stopRawCapture) {
    text += "no archives of " + logName + " were left to remove, so the raw capture " +
            FullPath(rawCapturePath) + " was stopped";
  } else {
    text += "no archives of " + logName + " are left to remove";
  }
  text += stillShort ? ". Logging goes on while there is room." : ". Logging goes on.";
  return outcome;
}

std::string DiskGuard::Summary(const std::string& logPath) const {
  if (m_archivesRemoved == 0 && !m_rawCaptureStopped) return {};
  std::string text = "The disk guard ";
  if (m_archivesRemoved > 0)
    text += "removed " + Plural(m_archivesRemoved, "archive") + " of " + NameOf(logPath);
  if (m_archivesRemoved > 0 && m_rawCaptureStopped) text += " and ";
  if (m_rawCaptureStopped) text += "stopped the raw capture";
  return text + " to keep " + std::to_string(m_minFreeBytes / kBytesPerMB) + " MB free.";
}

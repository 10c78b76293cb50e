// What the collector keeps of each site.
#include "tools/plenx-collect/site_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <vector>

#include "archive/log_archive.h"
#include "archive/log_archive_name.h"
#include "broker/site_topics.h"
#include "platform/append_file.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

constexpr const char* kStateFileName = ".plenx-collect-state";
constexpr std::string_view kStateHeader = "plenx-collect 1";
constexpr std::string_view kStateEnd = "end";
// The day files waiting to be archived: ".<log name>.<YYYY-MM-DD>.day".
constexpr std::string_view kDayFileSuffix = ".day";
// Runs of a site whose sequence numbers are remembered; a logger starts a
// run a day at most, and only the latest can still send.
constexpr size_t kRememberedRuns = 64;
constexpr size_t kLongestName = 200;
constexpr size_t kDateBytes = 10;  // "YYYY/MM/DD"
constexpr size_t kTailBytes = 4096;

struct RunSeq {
  std::string run;
  uint64_t lastSeq = 0;
};

struct Pending {
  std::string run;
  uint64_t seq = 0;
  uint64_t start = 0;
  uint64_t end = 0;
  std::string logName;
};

// "YYYY/MM/DD" at the start of a log line, as a date; nullopt when the
// line does not start with one.
std::optional<LocalTime> LineDate(std::string_view line) {
  if (line.size() < kDateBytes || line[4] != '/' || line[7] != '/') return std::nullopt;
  int year = 0;
  int month = 0;
  int day = 0;
  if (std::sscanf(std::string(line.substr(0, kDateBytes)).c_str(), "%4d/%2d/%2d", &year, &month, &day) != 3) {
    return std::nullopt;
  }
  LocalTime date;
  date.year = year;
  date.month = month;
  date.day = day;
  return date;
}

std::string DayText(const LocalTime& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace

std::string LogNameProblem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name.size() > kLongestName) return "is longer than 200 bytes";
  if (name.front() == '.') return "starts with '.'";
  for (const char c : name) {
    if (c == '/' || c == '\\') return "contains a folder separator";
    if (c == '\0' || static_cast<unsigned char>(c) < 0x20) return "contains a control character";
  }
  return {};
}

// One site's folder: its logs and its state.
class SiteStore {
 public:
  SiteStore(std::string folder, std::string site) : m_folder(std::move(folder)), m_site(std::move(site)) {}
  ~SiteStore() { Close(); }

  // Makes the folder, reads the state and repairs what a kill left.
  bool Open(std::string& problem);
  StoreResult Store(const RecordPayload& record);

 private:
  struct LogFile {
    int fd = -1;
    uint64_t sizeBytes = 0;
    std::optional<LocalTime> day;  // the latest date of its lines
  };

  std::string PathOf(const std::string& name) const { return m_folder + "/" + name; }
  uint64_t* LastSeq(const std::string& run);
  bool SaveState(const std::optional<Pending>& pending);
  void Recover(const Pending& pending);
  LogFile* OpenLog(const std::string& name, std::string& problem);
  bool StartNewDay(const std::string& name, LogFile& log, std::string& problem);
  void ArchiveDayFiles();
  void Close();

  std::string m_folder;
  std::string m_site;
  int m_stateFd = -1;
  std::deque<RunSeq> m_runs;
  std::map<std::string, LogFile> m_logs;
};

uint64_t* SiteStore::LastSeq(const std::string& run) {
  for (RunSeq& known : m_runs) {
    if (known.run == run) return &known.lastSeq;
  }
  return nullptr;
}

bool SiteStore::Open(std::string& problem) {
  std::error_code made;
  std::filesystem::create_directories(m_folder, made);
  if (made) {
    problem = "Cannot make the folder " + m_folder + ": " + SystemErrorText(made.value()) + ".";
    return false;
  }
  const std::string statePath = PathOf(kStateFileName);
  m_stateFd = OpenFile(statePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (m_stateFd < 0) {
    problem = "Cannot open " + statePath + ": " + SystemErrorText(errno) + ".";
    return false;
  }
  const std::optional<std::string> text = ReadToEnd(m_stateFd, 1 << 20);
  std::optional<Pending> pending;
  if (text) {
    size_t pos = 0;
    bool first = true;
    while (pos < text->size()) {
      const size_t end = text->find('\n', pos);
      if (end == std::string::npos) break;
      const std::string line = text->substr(pos, end - pos);
      pos = end + 1;
      if (first) {
        first = false;
        if (line != kStateHeader) break;
        continue;
      }
      if (line == kStateEnd) break;
      char run[256] = {};
      char name[1024] = {};
      uint64_t seq = 0;
      uint64_t start = 0;
      uint64_t stop = 0;
      if (std::sscanf(line.c_str(), "run %255s %" SCNu64, run, &seq) == 2) {
        m_runs.push_back({run, seq});
      } else if (std::sscanf(line.c_str(), "pending %255s %" SCNu64 " %" SCNu64 " %" SCNu64 " %1023s", run,
                             &seq, &start, &stop, name) == 5) {
        if (std::optional<std::string> logName = PercentDecoded(name)) {
          pending = Pending{run, seq, start, stop, *logName};
        }
      }
    }
  }
  if (pending) Recover(*pending);
  ArchiveDayFiles();
  return SaveState(std::nullopt);
}

void SiteStore::Recover(const Pending& pending) {
  if (!LogNameProblem(pending.logName).empty()) return;
  struct stat status {};
  const std::string path = PathOf(pending.logName);
  const uint64_t size = stat(path.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
  if (size >= pending.end) {
    if (uint64_t* last = LastSeq(pending.run)) {
      *last = std::max(*last, pending.seq);
    } else {
      m_runs.push_back({pending.run, pending.seq});
    }
  } else if (size > pending.start) {
    // Part of the line: cut it, the broker sends the record again.
    if (truncate(path.c_str(), static_cast<off_t>(pending.start)) != 0) {
      std::fprintf(stderr, "plenx-collect: cannot cut the partial line off %s: %s\n", path.c_str(),
                   SystemErrorText(errno).c_str());
    }
  }
}

bool SiteStore::SaveState(const std::optional<Pending>& pending) {
  std::string text(kStateHeader);
  text += '\n';
  for (const RunSeq& run : m_runs) text += "run " + run.run + " " + std::to_string(run.lastSeq) + "\n";
  if (pending) {
    text += "pending " + pending->run + " " + std::to_string(pending->seq) + " " +
            std::to_string(pending->start) + " " + std::to_string(pending->end) + " " +
            PercentEncoded(pending->logName) + "\n";
  }
  text += kStateEnd;
  text += '\n';
  if (WriteAllAt(m_stateFd, text.data(), text.size(), 0) != text.size()) return false;
  // A shorter state leaves the end of a longer one behind its "end" until
  // the file is cut; the reader stops at "end".
  struct stat status {};
  if (fstat(m_stateFd, &status) == 0 && static_cast<uint64_t>(status.st_size) > text.size() * 2) {
    if (ftruncate(m_stateFd, static_cast<off_t>(text.size())) != 0) {
      // The reader still stops at "end".
    }
  }
  return true;
}

SiteStore::LogFile* SiteStore::OpenLog(const std::string& name, std::string& problem) {
  auto found = m_logs.find(name);
  if (found != m_logs.end()) return &found->second;
  const std::string path = PathOf(name);
  LogFile log;
  log.fd = OpenLockedForAppend(path);
  if (log.fd < 0) {
    problem = "Cannot open " + path + ": " + AppendOpenFailureReason(errno) + ".";
    return nullptr;
  }
  struct stat status {};
  if (fstat(log.fd, &status) == 0) log.sizeBytes = static_cast<uint64_t>(status.st_size);
  // The day of its last line, for the next day's archive.
  if (log.sizeBytes > 0) {
    const uint64_t from = log.sizeBytes > kTailBytes ? log.sizeBytes - kTailBytes : 0;
    std::string tail(log.sizeBytes - from, '\0');
    if (pread(log.fd, tail.data(), tail.size(), static_cast<off_t>(from)) ==
        static_cast<ssize_t>(tail.size())) {
      size_t lineStart = tail.rfind('\n', tail.size() >= 2 ? tail.size() - 2 : 0);
      lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
      log.day = LineDate(std::string_view(tail).substr(lineStart));
    }
  }
  return &m_logs.emplace(name, log).first->second;
}

bool SiteStore::StartNewDay(const std::string& name, LogFile& log, std::string& problem) {
  // The day's sequence numbers are on disk before its file moves away, so a
  // kill now cannot make its last record look unwritten.
  SaveState(std::nullopt);
  const std::string dayFile = PathOf("." + name + "." + DayText(*log.day) + std::string(kDayFileSuffix));
  CloseFile(log.fd);
  m_logs.erase(name);
  if (rename(PathOf(name).c_str(), dayFile.c_str()) != 0) {
    problem = "Cannot move " + PathOf(name) + " aside for its archive: " + SystemErrorText(errno) + ".";
    return false;
  }
  ArchiveDayFiles();
  return true;
}

// Packs every day file into its dated archive and removes it; one left by
// a kill is packed again, whole.
void SiteStore::ArchiveDayFiles() {
  std::error_code listed;
  for (const auto& item : std::filesystem::directory_iterator(m_folder, listed)) {
    const std::string file = item.path().filename().string();
    // ".<log name>.<YYYY-MM-DD>.day"
    if (file.size() < 1 + 1 + 11 + kDayFileSuffix.size() || file.front() != '.' ||
        !file.ends_with(kDayFileSuffix)) {
      continue;
    }
    const std::string stem = file.substr(1, file.size() - 1 - kDayFileSuffix.size());
    const size_t dot = stem.rfind('.');
    if (dot == std::string::npos) continue;
    const std::string logName = stem.substr(0, dot);
    const std::string day = stem.substr(dot + 1);
    LocalTime date;
    if (std::sscanf(day.c_str(), "%4d-%2d-%2d", &date.year, &date.month, &date.day) != 3) continue;
    const std::optional<LogArchiveName> name = LogArchiveNameFor(PathOf(logName), date);
    if (!name) continue;
    const LogArchiveResult result = WriteLogArchive(*name, item.path().string());
    if (!result.written) {
      std::fprintf(stderr, "plenx-collect: Cannot write archive %s: %s. The day's lines stay in %s.\n",
                   name->archivePath.c_str(), result.failureReason.c_str(), item.path().c_str());
      continue;
    }
    unlink(item.path().c_str());
  }
}

StoreResult SiteStore::Store(const RecordPayload& record) {
  StoreResult result;
  const std::string problem = LogNameProblem(record.logName);
  if (!problem.empty() || record.run.size() > kLongestName ||
      record.run.find_first_of(" \n\t") != std::string::npos) {
    result.kind = StoreResult::Kind::kRefused;
    result.message = "Site " + m_site + " sent a record whose log name '" + record.logName + "' " +
                     (problem.empty() ? std::string("has a malformed run") : problem) + "; it is skipped.";
    return result;
  }
  uint64_t* last = LastSeq(record.run);
  if (last != nullptr && record.seq <= *last) {
    result.kind = StoreResult::Kind::kDuplicate;
    return result;
  }
  const uint64_t expected = last != nullptr ? *last + 1 : 1;
  result.missing = record.seq - expected;

  std::string failure;
  LogFile* log = OpenLog(record.logName, failure);
  const std::optional<LocalTime> day = LineDate(record.line);
  if (log != nullptr && log->day && day && *day > *log->day && log->sizeBytes > 0) {
    if (!StartNewDay(record.logName, *log, failure)) {
      log = nullptr;
    } else {
      log = OpenLog(record.logName, failure);
    }
  }
  if (log == nullptr) {
    result.kind = StoreResult::Kind::kFailed;
    result.message = failure;
    return result;
  }
  const Pending pending{record.run, record.seq, log->sizeBytes, log->sizeBytes + record.line.size(),
                        record.logName};
  if (!SaveState(pending) || !AppendWhole(log->fd, record.line)) {
    const int error = errno;
    result.kind = StoreResult::Kind::kFailed;
    result.message = "Cannot write to " + PathOf(record.logName) + ": " + SystemErrorText(error) + ".";
    return result;
  }
  log->sizeBytes += record.line.size();
  if (day && (!log->day || *day > *log->day)) log->day = day;
  if (last != nullptr) {
    *last = record.seq;
  } else {
    m_runs.push_back({record.run, record.seq});
    if (m_runs.size() > kRememberedRuns) m_runs.pop_front();
  }
  return result;
}

void SiteStore::Close() {
  for (auto& [name, log] : m_logs) CloseFile(log.fd);
  m_logs.clear();
  if (m_stateFd >= 0) CloseFile(m_stateFd);
  m_stateFd = -1;
}

CollectedLogs::CollectedLogs(std::string folder) : m_folder(std::move(folder)) {}

CollectedLogs::~CollectedLogs() = default;

void CollectedLogs::Forget() { m_sites.clear(); }

StoreResult CollectedLogs::Store(std::string_view site, const RecordPayload& record) {
  StoreResult result;
  const std::string problem = SiteNameProblem(site);
  if (!problem.empty()) {
    result.kind = StoreResult::Kind::kRefused;
    result.message =
        "A record came from the site '" + std::string(site) + "', whose name " + problem + "; it is skipped.";
    return result;
  }
  auto found = m_sites.find(site);
  if (found == m_sites.end()) {
    auto store = std::make_unique<SiteStore>(m_folder + "/" + std::string(site), std::string(site));
    std::string failure;
    if (!store->Open(failure)) {
      result.kind = StoreResult::Kind::kFailed;
      result.message = failure;
      return result;
    }
    found = m_sites.emplace(std::string(site), std::move(store)).first;
  }
  result = found->second->Store(record);
  // A failed site is opened afresh, repairing what the failure left.
  if (result.kind == StoreResult::Kind::kFailed) m_sites.erase(found);
  return result;
}

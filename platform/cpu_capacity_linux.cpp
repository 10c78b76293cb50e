// ReadCpuCapacity on Linux: the affinity mask, the cgroup v2 CPU quota and
// the runnable count of /proc/loadavg.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "platform/cpu_capacity.h"
#include "platform/cpu_capacity_linux.h"
#include "platform/posix_io.h"

namespace {

// Larger than any of the small files read here.
constexpr size_t kMaxProcFileBytes = 64 * 1024;
constexpr std::string_view kCgroupRoot = "/sys/fs/cgroup";

std::optional<std::string> ReadSmallFile(const std::string& path) {
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> text = ReadToEnd(fd, kMaxProcFileBytes);
  CloseFile(fd);
  return text;
}

// Reads an unsigned number at the start of text, skipping leading blanks.
std::optional<unsigned long long> LeadingNumber(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return value;
}

unsigned AffinityCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  return static_cast<unsigned>(CPU_COUNT(&set));
}

// The tightest quota of the process's control group and the groups above it.
unsigned QuotaCpus() {
  const std::optional<std::string> cgroup = ReadSmallFile("/proc/self/cgroup");
  if (!cgroup) return 0;
  std::string path(UnifiedCgroupPath(*cgroup));
  if (path.empty()) return 0;
  unsigned tightest = 0;
  for (;;) {
    if (const std::optional<std::string> cpuMax =
            ReadSmallFile(std::string(kCgroupRoot) + path + "/cpu.max")) {
      const unsigned cpus = CpusOfCpuMax(*cpuMax);
      if (cpus != 0 && (tightest == 0 || cpus < tightest)) tightest = cpus;
    }
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || path == "/") break;
    path.resize(slash == 0 ? 1 : slash);
  }
  return tightest;
}

}  // namespace

unsigned CpusOfCpuMax(std::string_view cpuMax) {
  const std::optional<unsigned long long> quota = LeadingNumber(cpuMax);
  const std::optional<unsigned long long> period = LeadingNumber(cpuMax);
  if (!quota || !period || *period == 0) return 0;
  return static_cast<unsigned>(std::max<unsigned long long>(1, (*quota + *period - 1) / *period));
}

std::string_view UnifiedCgroupPath(std::string_view procSelfCgroup) {
  while (!procSelfCgroup.empty()) {
    const size_t end = procSelfCgroup.find('\n');
    std::string_view line = procSelfCgroup.substr(0, end);
    procSelfCgroup = end == std::string_view::npos ? std::string_view() : procSelfCgroup.substr(end + 1);
    if (line.substr(0, 3) == "0::") return line.substr(3);
  }
  return {};
}

unsigned RunnableOfLoadavg(std::string_view loadavg) {
  // Three load averages, then "runnable/total".
  for (int field = 0; field < 3; ++field) {
    const size_t blank = loadavg.find(' ');
    if (blank == std::string_view::npos) return 0;
    loadavg.remove_prefix(blank + 1);
  }
  const std::optional<unsigned long long> runnable = LeadingNumber(loadavg);
  if (!runnable || loadavg.empty() || loadavg.front() != '/') return 0;
  return static_cast<unsigned>(*runnable);
}

CpuCapacity ReadCpuCapacity() {
  CpuCapacity capacity;
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  capacity.onlineCpus = online > 0 ? static_cast<unsigned>(online) : 1;
  unsigned usable = AffinityCpus();
  if (usable == 0) usable = capacity.onlineCpus;
  if (const unsigned quota = QuotaCpus(); quota != 0) usable = std::min(usable, quota);
  capacity.usableCpus = std::clamp(usable, 1u, capacity.onlineCpus);
  if (const std::optional<std::string> loadavg = ReadSmallFile("/proc/loadavg")) {
    capacity.runnableThreads = RunnableOfLoadavg(*loadavg);
  }
  return capacity;
}

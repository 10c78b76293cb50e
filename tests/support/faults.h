// Real faults of a site made for tests: a small or read-only file system of
// its own, a folder the process may not write even as root, and (from
// file_size_limit.h) a file-size limit that refuses writes as a full disk
// would.
//
// The mounts are private to the test process: it first moves its
// user-interface thread into a mount namespace of its own, which threads it
// starts later share. That needs the right to mount (root, or a user
// namespace as with `unshare -rm`); without it the tests that need a mount
// skip, and saying why.
#pragma once

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <string>

#include "tests/support/file_size_limit.h"

// Why a fault cannot be made here, for GTEST_SKIP.
inline constexpr const char* kNoMountReason =
    "cannot mount a private file system here (needs root or a user namespace, e.g. unshare -rm)";

// Moves the calling thread into a mount namespace of its own (once per
// process) in which mounts do not propagate to the system. False when the
// process may not do that.
inline bool EnterPrivateMountNamespace() {
  static const bool entered =
      unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return entered;
}

// A tmpfs of sizeBytes mounted on the existing, empty folder mountPoint for
// its lifetime, read-only when asked.
class SmallVolume {
 public:
  SmallVolume(const std::string& mountPoint, size_t sizeBytes, bool readOnly = false)
      : m_mountPoint(mountPoint) {
    if (!EnterPrivateMountNamespace()) return;
    const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0777";
    m_mounted =
        mount("plenx-test", mountPoint.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
  }
  ~SmallVolume() {
    if (m_mounted) umount2(m_mountPoint.c_str(), MNT_DETACH);
  }
  SmallVolume(const SmallVolume&) = delete;
  SmallVolume& operator=(const SmallVolume&) = delete;

  bool Mounted() const { return m_mounted; }

 private:
  std::string m_mountPoint;
  bool m_mounted = false;
};

// While alive, the calling thread (and threads it starts) obeys permission
// bits even as root: the capabilities that override them are taken out of
// its effective set, and put back after.
class PermissionBitsApply {
 public:
  PermissionBitsApply() {
    m_header.version = _LINUX_CAPABILITY_VERSION_3;
    m_header.pid = 0;
    if (syscall(SYS_capget, &m_header, m_saved) != 0) return;
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
      reduced[capability / 32].effective &= ~(1u << (capability % 32));
    }
    m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
  }
  ~PermissionBitsApply() {
    if (m_changed) syscall(SYS_capset, &m_header, m_saved);
  }
  PermissionBitsApply(const PermissionBitsApply&) = delete;
  PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

 private:
  __user_cap_header_struct m_header{};
  __user_cap_data_struct m_saved[2]{};
  bool m_changed = false;
};

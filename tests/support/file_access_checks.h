// Makes file permissions bind the calling thread even when the tests run as
// root, so that a test of a refused open means the same for every user.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While alive, the calling thread (and every thread it starts meanwhile)
// lacks the capabilities that let root pass file permission checks
// (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH). They leave only the effective
// set, so the destructor takes them back. Capabilities belong to a thread on
// Linux: other threads keep theirs.
class ScopedFileAccessChecks {
 public:
  ScopedFileAccessChecks() {
    if (syscall(SYS_capget, &m_header, m_saved) != 0) return;
    __user_cap_data_struct reduced[_LINUX_CAPABILITY_U32S_3];
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i) reduced[i] = m_saved[i];
    reduced[0].effective &= ~(CapBit(CAP_DAC_OVERRIDE) | CapBit(CAP_DAC_READ_SEARCH));
    m_changed =
        (reduced[0].effective != m_saved[0].effective) && syscall(SYS_capset, &m_header, reduced) == 0;
    m_active = m_changed || (m_saved[0].effective & CapBit(CAP_DAC_OVERRIDE)) == 0;
  }
  ~ScopedFileAccessChecks() {
    if (m_changed) syscall(SYS_capset, &m_header, m_saved);
  }
  ScopedFileAccessChecks(const ScopedFileAccessChecks&) = delete;
  ScopedFileAccessChecks& operator=(const ScopedFileAccessChecks&) = delete;

  // False when the thread may still override permissions (the capabilities
  // could not be given up); a test then has nothing to show.
  bool Active() const { return m_active; }

 private:
  static constexpr __u32 CapBit(int capability) { return 1u << capability; }

  __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct m_saved[_LINUX_CAPABILITY_U32S_3]{};
  bool m_changed = false;
  bool m_active = false;
};

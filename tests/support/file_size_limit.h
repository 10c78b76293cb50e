// Lets files grow only to a given size while alive, as a full disk would:
// writes beyond it fail with EFBIG instead of raising SIGXFSZ. The limit is
// the whole process's, so no other thread may be writing files meanwhile.
#pragma once

#include <signal.h>
#include <sys/resource.h>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limitBytes) {
    m_previousHandler = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_previous);
    struct rlimit limit = m_previous;
    limit.rlim_cur = limitBytes;
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    signal(SIGXFSZ, m_previousHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Active() const { return m_active; }

 private:
  struct rlimit m_previous {};
  sighandler_t m_previousHandler;
  bool m_active = false;
};

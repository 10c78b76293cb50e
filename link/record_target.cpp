// Lock-free publication of the record target: a version-checked pair.
#include "link/record_target.h"

#include <thread>

void RecordTarget::Store(WindowHandle window, uint32_t message) {
  const uint32_t version = m_version.load();
  m_version.store(version + 1);
  m_window.store(window);
  m_message.store(message);
  m_version.store(version + 2);
}

RecordTarget::Binding RecordTarget::Load() const {
  for (;;) {
    const uint32_t version = m_version.load();
    if ((version & 1u) == 0) {
      const Binding binding{m_window.load(), m_message.load()};
      if (m_version.load() == version) {
        return binding;
      }
    }
    std::this_thread::yield();
  }
}

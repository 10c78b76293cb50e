// Instance slots on lock files that only their holder may open.
#include "platform/instance_slot.h"

#include <fcntl.h>
#include <windows.h>

#include <string>

#include "platform/path_parts.h"
#include "platform/posix_io.h"
#include "platform/user_config_folder.h"
#include "platform/windows_file.h"

InstanceSlot::InstanceSlot(int slots) {
  // The user's local application data, which no other user or machine
  // shares.
  const std::string folder = UserStateFolder();
  if (folder.empty() ||
      (!CreateDirectoryW(WidePath(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)) {
    return;
  }
  for (int slot = 0; slot < slots; ++slot) {
    const std::string path = JoinPath(folder, "window-" + std::to_string(slot) + ".lock");
    // Share mode 0: while this handle lives, every other open fails; it
    // goes with the process, however it ends.
    const HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    m_fd = DescriptorForHandle(handle, O_RDWR);
    if (m_fd < 0) return;
    m_number = slot;
    return;
  }
}

InstanceSlot::~InstanceSlot() {
  if (m_fd >= 0) CloseFile(m_fd);
}

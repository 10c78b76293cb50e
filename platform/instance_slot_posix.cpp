// Instance slots on lock files.
#include "platform/instance_slot.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix_io.h"
#include "platform/user_config_folder.h"

namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kPrivateFileMode = 0600;

// The folder of the slot files; empty when none is known.
std::string InstanceSlotFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/')
    return std::string(runtime) + "/" + std::string(kProgramConfigFolderName);
  return UserConfigFolder();
}

}  // namespace

InstanceSlot::InstanceSlot(int slots) {
  const std::string folder = InstanceSlotFolder();
  if (folder.empty()) return;
  ::mkdir(folder.c_str(), kPrivateFolderMode);  // there already, or the opens below fail
  for (int slot = 0; slot < slots; ++slot) {
    const std::string path = folder + "/window-" + std::to_string(slot) + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      m_number = slot;
      m_fd = fd;
      return;
    }
    CloseFile(fd);
  }
}

InstanceSlot::~InstanceSlot() {
  if (m_fd >= 0) CloseFile(m_fd);
}

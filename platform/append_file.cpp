// Why an append-only file did not open, in words for the user.
#include <cerrno>

#include "platform/append_file.h"
#include "platform/system_error_text.h"

std::string AppendOpenFailureReason(int error) {
  switch (error) {
    case EWOULDBLOCK:
      return "in use by another program";
    case ENOENT:  // the open creates the file, so a folder is missing
      return "no such folder";
    case ENOTDIR:
      return "a part of the path is not a folder";
    case EISDIR:
      return "it is a folder";
    default:
      return SystemErrorText(error);
  }
}

// Maps the DOS attributes and the owner-execute permission of a source onto
// the ZIP external attribute bits.
#include "archive/zip_attributes.h"

#include "archive/zip_format.h"

using namespace plenx::zip;

uint32_t ExternalAttributes(const FileStatus& status) {
  const uint32_t attributes = status.attributes;
  const bool isDirectory = (attributes & kFileAttributeDirectory) != 0;
  const bool isReadOnly = (attributes & kFileAttributeReadOnly) != 0;
  uint32_t external = kExternalUnixOwnerRead;
  if (isReadOnly) external |= kExternalReadOnly;
  if (attributes & kFileAttributeHidden) external |= kExternalHidden;
  if (attributes & kFileAttributeSystem) external |= kExternalSystem;
  external |= isDirectory ? kExternalDirectory | kExternalUnixDirectory : kExternalUnixRegularFile;
  if (attributes & kFileAttributeArchive) external |= kExternalArchive;
  if (!isReadOnly) external |= kExternalUnixOwnerWrite;
  if (status.isRegularFile && status.ownerExecutable) external |= kExternalUnixOwnerExecute;
  return external;
}

// The log's archive through the ZIP writer, with the reason for any failure.
#include "archive/log_archive.h"

#include "platform/system_error_text.h"

namespace {

// The reason for a failure to add the log, from what the writer noted.
std::string AddFailureReason(uint32_t result, const ArchiveError& error, const std::string& logPath) {
  if (result == kArchiveBadArgument) return "the log's file name cannot be stored in a ZIP archive";
  if (error.inSource) {
    if (error.systemError == 0) return "the log " + logPath + " is not a regular file";
    return "cannot read the log " + logPath + ": " + SystemErrorText(error.systemError);
  }
  if (error.systemError != 0) return SystemErrorText(error.systemError);
  std::string reason = "the compressor failed an internal check";
  if (error.failedCheck != nullptr) reason = reason + ": " + error.failedCheck;
  return reason;
}

}  // namespace

LogArchiveResult WriteLogArchive(const LogArchiveName& name, const std::string& logPath,
                                 const ArchiveProgress& progress) {
  ArchiveError error;
  const ArchiveHandle archive = ArchiveCreate(name.archivePath.c_str(), &error);
  if (archive == nullptr) return {false, SystemErrorText(error.systemError)};
  const uint32_t added = ArchiveAddFile(archive, name.entryName.c_str(), logPath.c_str(), progress);
  // A log that could not be read to its end is not archived in part.
  const ArchiveError addError = ArchiveLastError(archive);
  if (added != kArchiveSuccess || addError.systemError != 0) {
    const std::string reason = AddFailureReason(added, addError, logPath);
    ArchiveAbandon(archive);
    return {false, reason};
  }
  if (ArchiveClose(archive, &error) != kArchiveSuccess) return {false, SystemErrorText(error.systemError)};
  return {true, {}};
}

// The save-file dialog on QFileDialog, or answered by the installed responder.
#include "ui/save_file_dialog.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/message_box.h"
#include "ui/text_codec.h"
#include "ui/win_constants.h"
#include "ui/wnd.h"

namespace {

// A filter pattern ("*.*", "*.log;*.txt") in Qt's filter syntax: "*.*"
// means every file, while Qt would read it as "names with a dot".
QString QtPattern(const std::string& pattern) {
  QString result = TextToQt(pattern);
  result.replace(QStringLiteral("*.*"), QStringLiteral("*"));
  result.replace(QLatin1Char(';'), QLatin1Char(' '));
  return result;
}

QString QtFilter(const FileFilter& filter) {
  return TextToQt(filter.description) + QStringLiteral(" (") + QtPattern(filter.pattern) + QLatin1Char(')');
}

// The folder part of a path's bytes: "." when it has none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return ::stat(FolderOf(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Fits(const std::string& path, const SaveFileRequest& request) {
  return static_cast<long long>(path.size()) + 1 <= request.fileBufferBytes;
}

}  // namespace

BOOL GetSaveFileName(const SaveFileRequest& request, std::string* path) {
  if (DialogResponder* responder = GetDialogResponder()) {
    const std::optional<std::string> answer = responder->AnswerSaveFile(request);
    if (!answer || answer->empty() || !Fits(*answer, request)) return FALSE;
    if ((request.flags & OFN_PATHMUSTEXIST) != 0 && !FolderExists(*answer)) return FALSE;
    *path = *answer;
    return TRUE;
  }

  CWnd* owner = CWnd::FromHandle(request.owner);
  QFileDialog dialog(owner == nullptr ? nullptr : owner->GetWidget());
  // Blocks its owner's window only, as a message box does.
  if (dialog.parentWidget() != nullptr) dialog.setWindowModality(Qt::WindowModal);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.title.empty()) dialog.setWindowTitle(TextToQt(request.title));
  QStringList filters;
  for (const FileFilter& filter : request.filters) filters << QtFilter(filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index =
        request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
    dialog.selectNameFilter(filters.at(index - 1));
  }
  if ((request.flags & OFN_OVERWRITEPROMPT) == 0) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!request.initialFile.empty()) dialog.selectFile(QFile::decodeName(request.initialFile.c_str()));

  while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    const std::string chosen = PathFromQt(dialog.selectedFiles().constFirst());
    if ((request.flags & OFN_PATHMUSTEXIST) != 0 && !FolderExists(chosen)) {
      MessageBox(request.owner, "The folder of this file name does not exist.\nCheck the path and try again.",
                 "", MB_OK | MB_ICONWARNING);
      continue;
    }
    if (!Fits(chosen, request)) return FALSE;
    *path = chosen;
    return TRUE;
  }
  return FALSE;
}

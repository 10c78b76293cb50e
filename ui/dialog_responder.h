// Answering message boxes and file dialogs without a person, for unattended
// runs and tests.
//
// While a responder is installed, MessageBox and GetSaveFileName ask it
// instead of showing a window. It is called on the user-interface thread, in
// the place where the modal window would run its nested event loop: a
// responder that wants the messages posted meanwhile to be handled, as they
// would be under an open box, calls PumpPostedMessages() before answering.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/win_constants.h"
#include "ui/win_types.h"

struct MessageBoxRequest {
  HWND owner = 0;
  std::string text;     // 8-bit, as passed
  std::string caption;  // 8-bit; the application name when none was passed
  UINT type = 0;        // MB_* buttons and icon
};

// One "description", "pattern" pair of a file-type filter, e.g. "Log files", "*.log".
struct FileFilter {
  std::string description;
  std::string pattern;
};

struct SaveFileRequest {
  HWND owner = 0;
  std::vector<FileFilter> filters;
  int filterIndex = 1;             // 1-based index of the preselected filter
  std::string initialFile;         // offered name; empty offers none
  int fileBufferBytes = MAX_PATH;  // longest path accepted, terminating zero included
  DWORD flags = 0;                 // OFN_* flags
  std::string title;               // empty: the system's default title
  // Added (after a dot) to a name the user types without an extension, as
  // lpstrDefExt is ("log"); empty adds none. A responder's answer is taken
  // as it is.
  std::string defaultExtension;
};

class DialogResponder {
 public:
  virtual ~DialogResponder() = default;
  // IDOK, IDCANCEL, IDYES or IDNO, one the box's buttons allow.
  virtual int AnswerMessageBox(const MessageBoxRequest& request) = 0;
  // The chosen path as file-system bytes, or nothing for Cancel.
  virtual std::optional<std::string> AnswerSaveFile(const SaveFileRequest& request) = 0;
};

// Installs `responder` (not owned); null brings the real windows back.
// User-interface thread.
void SetDialogResponder(DialogResponder* responder);
DialogResponder* GetDialogResponder();

// The answer a box of `type` gives when it is closed without a choice:
// IDCANCEL, or IDOK for an OK-only box, IDNO for Yes/No.
int CancelAnswerFor(UINT type);

// Answers for message boxes and file dialogs when nobody watches the window.
#pragma once

#include <cstdio>

#include "ui/dialog_responder.h"

// Writes each message box as "<caption>: <text>" in UTF-8 to `out` and
// gives it the answer of a box closed without a choice, except that the
// question whether to append to an existing log is answered Yes when
// `appendToExistingLog` is set (without it, Start then does nothing).
// Cancels every file dialog. Messages posted meanwhile are handled first, as
// under an open box. User-interface thread.
class HeadlessResponder : public DialogResponder {
 public:
  HeadlessResponder(std::FILE* out, bool appendToExistingLog)
      : m_out(out), m_appendToExistingLog(appendToExistingLog) {}

  int AnswerMessageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> AnswerSaveFile(const SaveFileRequest& request) override;

 private:
  std::FILE* m_out;
  bool m_appendToExistingLog;
};

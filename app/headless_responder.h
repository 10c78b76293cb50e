// Answers for message boxes and file dialogs when nobody watches the window
// (a screenshot taken unattended).
#pragma once

#include <cstdio>

#include "ui/dialog_responder.h"

// Writes each message box as "<caption>: <text>" in UTF-8 to `out` and
// gives it the answer of a box closed without a choice. Cancels every file
// dialog. Messages posted meanwhile are handled first, as under an open
// box. User-interface thread.
class HeadlessResponder : public DialogResponder {
 public:
  explicit HeadlessResponder(std::FILE* out) : m_out(out) {}

  int AnswerMessageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> AnswerSaveFile(const SaveFileRequest& request) override;

 private:
  std::FILE* m_out;
};

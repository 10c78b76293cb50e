// Command-line choices applied through the dialog's controls.
#include "app/run_choices.h"

#include <optional>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "platform/full_path.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/dialog_responder.h"

namespace {

// Answers the save dialog with one path; message boxes go to the responder
// that was installed before, or get the answer of a closed box.
class SaveFileAnswer : public DialogResponder {
 public:
  SaveFileAnswer(std::string path, DialogResponder* next) : m_path(std::move(path)), m_next(next) {}

  int AnswerMessageBox(const MessageBoxRequest& request) override {
    return m_next != nullptr ? m_next->AnswerMessageBox(request) : CancelAnswerFor(request.type);
  }
  std::optional<std::string> AnswerSaveFile(const SaveFileRequest&) override { return m_path; }

 private:
  std::string m_path;
  DialogResponder* m_next;
};

}  // namespace

bool ChoosePort(CTESSAMPLENXLOGGERDlg& dlg, const std::string& portName) {
  auto* ports = dynamic_cast<CComboBox*>(dlg.GetDlgItem(kPortComboId));
  if (ports == nullptr) return false;
  for (int item = 0; item < ports->GetCount(); ++item) {
    std::string text;
    ports->GetLBText(item, text);
    if (text == portName) return ports->ChooseItem(item) != FALSE;
  }
  return false;
}

std::string ChooseLogFile(CTESSAMPLENXLOGGERDlg& dlg, const std::string& path) {
  // The save dialog gives a full path, whatever the user typed.
  const std::string chosen = FullPath(path);
  auto* saveAs = dynamic_cast<CButton*>(dlg.GetDlgItem(kSaveAsButtonId));
  CWnd* logName = dlg.GetDlgItem(kLogNameEditId);
  if (saveAs == nullptr || logName == nullptr) return "cannot choose the log file " + chosen;
  DialogResponder* const installed = GetDialogResponder();
  SaveFileAnswer answer(chosen, installed);
  SetDialogResponder(&answer);
  saveAs->Click();
  SetDialogResponder(installed);
  if (logName->GetWindowText() == chosen) return {};
  // The dialog takes names of at most MAX_PATH - 1 bytes in an existing folder.
  if (chosen.size() >= static_cast<size_t>(MAX_PATH)) {
    return "cannot log to " + chosen + ": the path is longer than " + std::to_string(MAX_PATH - 1) + " bytes";
  }
  return "cannot log to " + chosen + ": its folder does not exist";
}

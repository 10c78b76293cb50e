// The installed dialog responder and the scripted one.
#include "ui/dialog_responder.h"

#include "ui/win_constants.h"
#include "ui/wnd.h"

namespace {
DialogResponder* g_responder = nullptr;  // user-interface thread only
}  // namespace

void SetDialogResponder(DialogResponder* responder) { g_responder = responder; }

DialogResponder* GetDialogResponder() { return g_responder; }

int CancelAnswerFor(UINT type) {
  switch (type & kMessageBoxButtonsMask) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

int ScriptedDialogResponder::AnswerMessageBox(const MessageBoxRequest& request) {
  m_boxes.push_back(request);
  if (m_pumpWhileOpen) PumpPostedMessages();
  if (m_boxAnswers.empty()) return CancelAnswerFor(request.type);
  const int answer = m_boxAnswers.front();
  m_boxAnswers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogResponder::AnswerSaveFile(const SaveFileRequest& request) {
  m_fileDialogs.push_back(request);
  if (m_pumpWhileOpen) PumpPostedMessages();
  if (m_fileAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(m_fileAnswers.front());
  m_fileAnswers.pop_front();
  return answer;
}

// The responder of unattended runs.
#include "app/headless_responder.h"

#include "ui/wnd.h"

int HeadlessResponder::AnswerMessageBox(const MessageBoxRequest& request) {
  PumpPostedMessages();
  std::fprintf(m_out, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  std::fflush(m_out);
  return CancelAnswerFor(request.type);
}

std::optional<std::string> HeadlessResponder::AnswerSaveFile(const SaveFileRequest&) {
  PumpPostedMessages();
  return std::nullopt;
}

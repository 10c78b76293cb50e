// The responder of a window nobody watches.
#include "app/headless_responder.h"

#include <string>

#include "config/text_encoding.h"
#include "ui/wnd.h"

int HeadlessResponder::AnswerMessageBox(const MessageBoxRequest& request) {
  PumpPostedMessages();
  std::string line;
  AppendShownTextAsUtf8(request.caption, line);
  line += ": ";
  AppendShownTextAsUtf8(request.text, line);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), m_out);
  std::fflush(m_out);
  return CancelAnswerFor(request.type);
}

std::optional<std::string> HeadlessResponder::AnswerSaveFile(const SaveFileRequest&) {
  PumpPostedMessages();
  return std::nullopt;
}

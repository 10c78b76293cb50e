// The responder of unattended runs.
#include "app/headless_responder.h"

#include <string>

#include "config/text_encoding.h"
#include "decode/log_file.h"
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
  const UINT buttons = request.type & kMessageBoxButtonsMask;
  const bool asksToAppend =
      request.caption == kAppendQuestionCaption && (buttons == MB_YESNOCANCEL || buttons == MB_YESNO);
  return asksToAppend && m_appendToExistingLog ? IDYES : CancelAnswerFor(request.type);
}

std::optional<std::string> HeadlessResponder::AnswerSaveFile(const SaveFileRequest&) {
  PumpPostedMessages();
  return std::nullopt;
}

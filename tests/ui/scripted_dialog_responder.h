// A dialog responder for tests: gives queued answers in order and records
// every request it was asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_responder.h"
#include "ui/wnd.h"

// With no answer queued, a message box gets its cancelling answer
// (CancelAnswerFor) and a save dialog is cancelled.
class ScriptedDialogResponder : public DialogResponder {
 public:
  void QueueMessageBoxAnswer(int answer) { m_boxAnswers.push_back(answer); }
  void QueueSaveFileAnswer(std::optional<std::string> path) { m_fileAnswers.push_back(std::move(path)); }
  // Handle posted messages before each answer, as an open box would.
  void SetPumpWhileOpen(bool pump) { m_pumpWhileOpen = pump; }

  const std::vector<MessageBoxRequest>& MessageBoxes() const { return m_boxes; }
  const std::vector<SaveFileRequest>& SaveFileDialogs() const { return m_fileDialogs; }

  int AnswerMessageBox(const MessageBoxRequest& request) override {
    m_boxes.push_back(request);
    if (m_pumpWhileOpen) PumpPostedMessages();
    if (m_boxAnswers.empty()) return CancelAnswerFor(request.type);
    const int answer = m_boxAnswers.front();
    m_boxAnswers.pop_front();
    return answer;
  }

  std::optional<std::string> AnswerSaveFile(const SaveFileRequest& request) override {
    m_fileDialogs.push_back(request);
    if (m_pumpWhileOpen) PumpPostedMessages();
    if (m_fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(m_fileAnswers.front());
    m_fileAnswers.pop_front();
    return answer;
  }

 private:
  std::deque<int> m_boxAnswers;
  std::deque<std::optional<std::string>> m_fileAnswers;
  std::vector<MessageBoxRequest> m_boxes;
  std::vector<SaveFileRequest> m_fileDialogs;
  bool m_pumpWhileOpen = false;
};

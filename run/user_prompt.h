// The questions and errors the log file puts to the user; the main window answers them.
#pragma once

#include <string>

enum class PromptAnswer { Yes, No, Cancel };

// A window that can put message boxes in front of the user. The main window
// implements it; tests supply canned answers. User-interface thread only.
class UserPrompt {
 public:
  virtual ~UserPrompt() = default;

  // Shows text (Windows-1252, "\n" breaks a line) under caption with the
  // buttons Yes, No and Cancel and no icon, owned by this window, and waits
  // for the answer. Closing the box without a button counts as Cancel.
  virtual PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) = 0;

  // Shows text as an error message box with an OK button and waits for it.
  virtual void ShowError(const std::string& text) = 0;
};

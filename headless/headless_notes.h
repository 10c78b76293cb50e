// What an unattended run tells the person reading its standard error: every
// message the window would show in a box, as "<caption>: <text>", and a
// line for each loss and return of the serial line.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "run/run_observer.h"

// The caption of the window's own message boxes.
inline constexpr std::string_view kMessageCaption = "Plenx Logger";

// A face of the run. Lines are written whole, in UTF-8, and those of the
// run are held back until Announce: the note that the run started comes
// first.
class HeadlessNotes : public RunObserver {
 public:
  // program: the name the notes start with ("plenx-logger"); onEnded runs
  // (on the run's thread) after the run's last messages are written.
  HeadlessNotes(std::FILE* out, std::string program, std::function<void(const RunEnd&)> onEnded)
      : m_out(out), m_program(std::move(program)), m_onEnded(std::move(onEnded)) {}

  void OnRunEvent(const RunEvent& event) override;
  void OnRunEnded(const RunEnd& end) override;

  // Writes "<caption>: <text>" at once (text Windows-1252 or UTF-8, as a box
  // shows it); an empty caption is the window's own. Any thread.
  void Message(std::string_view caption, std::string_view text);
  // Writes "<program>: <note>" at once, then the lines held back so far.
  void Announce(std::string_view note);

 private:
  // Writes line now, or holds it back until Announce when held is set.
  void Write(const std::string& line, bool held);
  std::string MessageLine(std::string_view caption, std::string_view text) const;

  std::FILE* m_out;
  std::string m_program;
  std::function<void(const RunEnd&)> m_onEnded;
  std::mutex m_mutex;
  bool m_announced = false;
  std::string m_held;
};

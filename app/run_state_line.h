// The main dialog's state line under the banner: each lasting condition of
// the run (no log kept, log lines not written, the raw capture stopped,
// frames that do not match the layout, ...) as long as it lasts, so that a
// failure boxed once stays in sight after OK without boxing it again.
#pragma once

#include <string>

#include "run/run_conditions.h"
#include "ui/static_text.h"

// Height of the state line at the bottom of the banner's strip: two lines
// of its text.
inline constexpr int kRunStateLinePx = 28;

class RunStateLine {
 public:
  // Makes the (empty) line at rect of parent. User-interface thread, as
  // every call here.
  void Create(const CRect& rect, const CWnd* parent, int id);

  // A live run (keepsLog: it has a log file) or a replay begins: the last
  // run's conditions go.
  void BeginRun(bool keepsLog);
  void BeginReplay();
  void OnRecord(const RunRecord& record);
  void OnEvent(const RunEvent& event);
  // The run has ended: what it lost stays in sight until the next run; the
  // conditions of the line itself go.
  void EndRun(const RunEnd& end);

  // What the line shows now (Windows-1252).
  std::string Text() const { return m_text; }

 private:
  void Show();

  CStatic m_static;
  RunConditions m_conditions;
  std::string m_text;
};

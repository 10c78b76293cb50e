// plenx-logger's window on a test's X session: the program's copy in a
// folder of its own (tests/e2e/logger_process.h) on Qt's X11 platform,
// logging what plenx-board-sim sends on COM9 to site.log. The program is
// killed when the test ends; nothing of its ending is checked here.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/board_sim.h"
#include "tests/e2e/logger_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/x_session.h"

// The main window's title, as a pattern for XSession::FindWindows.
inline const std::string kMainWindowTitle = "Plenx Logger Service$";
// A place in the main window's unit list, where a right click brings the
// window menu.
inline constexpr int kMainListX = 400;
inline constexpr int kMainListY = 150;

class DesktopRun {
 public:
  // Starts the program with `arguments`; without any, it logs COM9 to
  // site.log from the start (--start). The board simulator takes
  // boardArguments besides its usual ones.
  explicit DesktopRun(const XSession& x, std::vector<std::string> arguments = {},
                      const std::vector<std::string>& boardArguments = {})
      : m_x(x),
        m_display("DISPLAY", x.Display().c_str()),
        m_platform("QT_QPA_PLATFORM", "xcb"),
        m_board(m_folder.Files(), boardArguments) {
    const std::string device = m_board.Device();
    if (device.empty()) {
      m_problem = "plenx-board-sim printed no device";
      return;
    }
    m_folder.MapPort("COM9", device);
    if (arguments.empty()) arguments = {"--port", "COM9", "--log", "site.log", "--start"};
    const bool logging = std::find(arguments.begin(), arguments.end(), "--start") != arguments.end();
    m_logger = std::make_unique<LoggerProcess>(m_folder, arguments);
    m_main = x.WaitForWindow(kMainWindowTitle);
    if (m_main == 0) {
      m_problem = "no main window: " + m_logger->Err();
    } else if (logging && !XSession::Poll([this] { return LogLines() > 0; })) {
      m_problem = "nothing logged: " + m_logger->Err();
    }
  }
  DesktopRun(const DesktopRun&) = delete;
  DesktopRun& operator=(const DesktopRun&) = delete;

  // Right-clicks the main window and waits for its menu, whose entries
  // then take their mnemonic keys ("t" for Trends...).
  bool OpenWindowMenu() const {
    const size_t before = ProgramWindows();
    m_x.Click(m_main, kMainListX, kMainListY, 3);
    return XSession::Poll([&] { return ProgramWindows() > before; });
  }

  bool Started() const { return m_problem.empty(); }
  const std::string& Problem() const { return m_problem; }
  XWindowId MainWindow() const { return m_main; }
  const ProgramFolder& Folder() const { return m_folder; }
  // The program's windows on screen, menus included (which have no title).
  size_t ProgramWindows() const { return m_x.FindWindowsOfClass("^plenx-logger$").size(); }
  LoggerProcess& Logger() { return *m_logger; }

  // Lines in the log so far.
  size_t LogLines() const {
    const std::string log = ReadFileBytes(m_folder.Files().Path("site.log"));
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  }

 private:
  const XSession& m_x;
  ProgramFolder m_folder;
  ScopedEnv m_display;
  ScopedEnv m_platform;
  BoardSim m_board;
  std::unique_ptr<LoggerProcess> m_logger;
  XWindowId m_main = 0;
  std::string m_problem;
};

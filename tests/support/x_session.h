// An X server of the test's own with a window manager, for trying the
// program's windows as a technician does: Xvfb on a display number it picks
// itself (so tests and other sessions on the machine never collide), openbox
// managing the windows (stacking, focus, modal rules, Alt+F4), xdotool for
// the mouse and the keys, xprop and xwininfo for what the window manager
// did, and ImageMagick's import for screenshots. Qt's offscreen platform has
// no window manager, so only here do modality and focus act as on a desktop.
//
// Everything started here is stopped again by the destructor. Without the
// tools the session does not start and Problem() says what is missing; a
// test then skips with SKIP_WITHOUT_X_SESSION.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/run_command.h"
#include "testkit/temp_folder.h"

extern char** environ;

#define SKIP_WITHOUT_X_SESSION(session) \
  if (!(session).Problem().empty()) GTEST_SKIP() << (session).Problem()

// An X window id as xdotool and xprop print it (decimal or 0x hex).
using XWindowId = unsigned long;

// A window's picture in 8-bit grey, row by row.
struct XGrayImage {
  int width = 0;
  int height = 0;
  std::string pixels;  // width * height bytes
  uint8_t At(int x, int y) const { return static_cast<uint8_t>(pixels[static_cast<size_t>(y * width + x)]); }
};

struct XGeometry {
  int x = 0;  // the client area's upper left corner on the screen
  int y = 0;
  int width = 0;
  int height = 0;
};

class XSession {
 public:
  // Generous, as in the other tests that start programs: a loaded machine
  // may take seconds to map a window.
  static constexpr int kTimeoutMs = 30000;
  static constexpr int kScreenWidthPx = 1280;
  static constexpr int kScreenHeightPx = 1024;

  XSession() {
    const std::string missing = MissingTools();
    if (!missing.empty()) {
      m_problem = "skipped: no X session for the window tests, " + missing +
                  " missing (scripts/install-deps.sh installs them)";
      return;
    }
    if (!StartServer()) return;
    m_openbox = Spawn({"openbox", "--sm-disable"}, m_files.Path("openbox.log"));
    if (m_openbox <= 0 || !Poll([&] {
          return Run("xprop -root _NET_SUPPORTING_WM_CHECK").output.find("window id") != std::string::npos;
        })) {
      m_problem = "openbox did not start on " + m_display + ": " + ReadFileBytes(m_files.Path("openbox.log"));
    }
  }

  ~XSession() {
    Stop(m_openbox);
    Stop(m_server);
  }
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Empty while the session runs, else why it does not.
  const std::string& Problem() const { return m_problem; }
  // ":N", for DISPLAY.
  const std::string& Display() const { return m_display; }

  // Runs a shell command line on this display; its standard error joins
  // the output.
  CommandResult Run(const std::string& command) const {
    return RunCommand("DISPLAY=" + m_display + " " + command + " 2>&1");
  }

  // The visible windows whose name (title) matches the extended regular
  // expression, oldest first.
  std::vector<XWindowId> FindWindows(const std::string& titlePattern) const {
    return Ids(Run("xdotool search --onlyvisible --name " + Quoted(titlePattern)).output);
  }
  // The visible windows whose class name (the program's file name) matches
  // the pattern, menus and other windows without a title included.
  std::vector<XWindowId> FindWindowsOfClass(const std::string& classPattern) const {
    return Ids(Run("xdotool search --onlyvisible --classname " + Quoted(classPattern)).output);
  }
  // Waits until exactly one visible window's title matches; its id, or 0.
  XWindowId WaitForWindow(const std::string& titlePattern) const {
    std::vector<XWindowId> found;
    Poll([&] {
      found = FindWindows(titlePattern);
      return found.size() == 1;
    });
    return found.size() == 1 ? found[0] : 0;
  }
  // Waits until no visible window's title matches.
  bool WaitForNoWindow(const std::string& titlePattern) const {
    return Poll([&] { return FindWindows(titlePattern).empty(); });
  }

  // The managed windows, bottom of the stack first, as the window manager
  // keeps them (_NET_CLIENT_LIST_STACKING).
  std::vector<XWindowId> StackingOrder() const {
    const std::string out = Run("xprop -root _NET_CLIENT_LIST_STACKING").output;
    const size_t hash = out.find('#');
    return hash == std::string::npos ? std::vector<XWindowId>{} : Ids(out.substr(hash + 1));
  }
  // Waits until `upper` lies above `lower` in the window manager's stack.
  bool WaitForAbove(XWindowId upper, XWindowId lower) const {
    return Poll([&] { return IsAbove(upper, lower); });
  }
  // True when `upper` lies above `lower` in the window manager's stack.
  bool IsAbove(XWindowId upper, XWindowId lower) const {
    const std::vector<XWindowId> stack = StackingOrder();
    int upperAt = -1;
    int lowerAt = -1;
    for (size_t i = 0; i < stack.size(); ++i) {
      if (stack[i] == upper) upperAt = static_cast<int>(i);
      if (stack[i] == lower) lowerAt = static_cast<int>(i);
    }
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
  }
  // The window the window manager made active (_NET_ACTIVE_WINDOW), 0 when none.
  XWindowId ActiveWindow() const {
    const std::vector<XWindowId> ids = Ids(Run("xdotool getactivewindow").output);
    return ids.empty() ? 0 : ids[0];
  }
  bool WaitForActive(XWindowId window) const {
    return Poll([&] { return ActiveWindow() == window; });
  }

  // The client area of a window on the screen, from xwininfo.
  XGeometry Geometry(XWindowId window) const {
    const std::string out = Run("xwininfo -id " + std::to_string(window)).output;
    XGeometry geometry;
    geometry.x = Field(out, "Absolute upper-left X:");
    geometry.y = Field(out, "Absolute upper-left Y:");
    geometry.width = Field(out, "Width:");
    geometry.height = Field(out, "Height:");
    return geometry;
  }

  // The mouse: moves to (x, y) of the window's client area and clicks
  // `button` (1 left, 3 right), through the X server's test extension, as
  // a real mouse would.
  void Click(XWindowId window, int x, int y, int button = 1) const {
    Run("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
        std::to_string(y) + " click " + std::to_string(button));
  }
  // Keys as typed on the keyboard, to the window that has the focus:
  // "alt+w", "Return", "Escape".
  void Key(const std::string& keys) const { Run("xdotool key --clearmodifiers " + keys); }
  void Type(const std::string& text) const { Run("xdotool type --delay 5 " + Quoted(text)); }

  // Writes the screen (window 0) or one window as a PNG.
  bool Screenshot(const std::string& pngPath, XWindowId window = 0) const {
    const std::string which = window == 0 ? "root" : std::to_string(window);
    return Run("import -window " + which + " " + Quoted(pngPath)).exitCode == 0;
  }

  // The window as it is drawn now, in grey; empty when it cannot be read.
  XGrayImage GrayImage(XWindowId window) const {
    const CommandResult pgm = RunCommand("DISPLAY=" + m_display + " import -window " +
                                         std::to_string(window) + " -depth 8 pgm:- 2>/dev/null");
    // Binary PGM: "P5", width, height, 255, one blank, then the pixels.
    std::istringstream header(pgm.output);
    std::string magic;
    int maxValue = 0;
    XGrayImage image;
    header >> magic >> image.width >> image.height >> maxValue;
    const size_t size = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const auto start = static_cast<size_t>(header.tellg()) + 1;
    if (magic != "P5" || maxValue != 255 || header.fail() || pgm.output.size() != start + size) return {};
    image.pixels = pgm.output.substr(start);
    return image;
  }

  // Checks done() every few tens of milliseconds for up to timeoutMs: the
  // X server notifies no one outside it, and each check starts a tool.
  static bool Poll(const std::function<bool()>& done, int timeoutMs = kTimeoutMs) {
    constexpr auto kInterval = std::chrono::milliseconds(25);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(kInterval);
    }
    return true;
  }

  static std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

 private:
  static std::string MissingTools() {
    std::string missing;
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import"}) {
      if (RunCommand(std::string("command -v ") + tool + " >/dev/null").exitCode != 0) {
        missing += missing.empty() ? tool : std::string(", ") + tool;
      }
    }
    return missing;
  }

  // Xvfb picks a free display itself and writes its number to the pipe
  // once it accepts clients (-displayfd).
  bool StartServer() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
      m_problem = "no pipe for Xvfb";
      return false;
    }
    const std::string screen = std::to_string(kScreenWidthPx) + "x" + std::to_string(kScreenHeightPx) + "x24";
    m_server =
        Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0", screen, "-nolisten", "tcp"},
              m_files.Path("xvfb.log"), ends[1]);
    close(ends[1]);
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    while (m_server > 0 && number.find('\n') == std::string::npos && poll(&ready, 1, kTimeoutMs) > 0) {
      char chunk[16];
      const ssize_t got = read(ends[0], chunk, sizeof chunk);
      if (got <= 0) break;
      number.append(chunk, static_cast<size_t>(got));
    }
    close(ends[0]);
    if (number.find('\n') == std::string::npos) {
      m_problem = "Xvfb did not start: " + ReadFileBytes(m_files.Path("xvfb.log"));
      return false;
    }
    m_display = ":" + number.substr(0, number.find('\n'));
    return true;
  }

  // Starts argv[0] from PATH on this session's display with its output in
  // logPath; inheritFd stays open in it. The process id, or -1.
  pid_t Spawn(std::vector<std::string> argv, const std::string& logPath, int inheritFd = -1) const {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // Same descriptor: clears close-on-exec in the child only.
    if (inheritFd >= 0) posix_spawn_file_actions_adddup2(&actions, inheritFd, inheritFd);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (std::string_view(*variable).starts_with("DISPLAY=")) continue;
      environment.emplace_back(*variable);
    }
    if (!m_display.empty()) environment.push_back("DISPLAY=" + m_display);
    std::vector<char*> args;
    for (std::string& argument : argv) args.push_back(argument.data());
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

  static void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!WaitChildExit(pid, kTimeoutMs)) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // The window ids in a tool's output ("12582919", "0xc00007"), in order.
  static std::vector<XWindowId> Ids(const std::string& text) {
    std::vector<XWindowId> ids;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      while (!word.empty() && (word.back() == ',')) word.pop_back();
      char* end = nullptr;
      const XWindowId id = std::strtoul(word.c_str(), &end, 0);
      if (!word.empty() && end == word.c_str() + word.size() && id != 0) ids.push_back(id);
    }
    return ids;
  }

  static int Field(const std::string& text, const std::string& name) {
    const size_t at = text.find(name);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size());
  }

  TempFolder m_files;  // the server's and the window manager's output
  std::string m_problem;
  std::string m_display;
  pid_t m_server = -1;
  pid_t m_openbox = -1;
};

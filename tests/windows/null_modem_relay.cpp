// A null-modem pair for the Windows tests under Wine, a Linux program: two
// pseudo-terminals whose masters this relay joins, mapped into the Wine
// prefix as COM8 (the board's end) and COM9 (the logger's end), so that what
// a test writes to one port arrives at the other. A third one, COM7, takes
// commands, each a line answered with "ok":
//   hangup   the logger's end vanishes, as an unplugged adapter does
//   restore  a new terminal stands in for it under the same name
// Usage: null_modem_relay <Wine prefix's dosdevices folder>. Prints "ready"
// once the ports are there; ends on SIGTERM or SIGINT, removing them.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kControlPort = "com7";
constexpr const char* kBoardPort = "com8";
constexpr const char* kLoggerPort = "com9";
constexpr size_t kChunkBytes = 4096;
constexpr int kPollMs = 100;

volatile sig_atomic_t g_stop = 0;

void OnStop(int) { g_stop = 1; }

// One pseudo-terminal, raw, with its slave held open so that the far side's
// closes never hang it up; mapped as a COM port by a link in dosdevices.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string link;

  bool Open(const std::string& dosdevices, const char* port) {
    char path[128] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) != 0) return false;
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    termios line{};
    tcgetattr(slave, &line);
    cfmakeraw(&line);
    tcsetattr(slave, TCSANOW, &line);
    link = dosdevices + "/" + port;
    // Replaced in one step, so a port never goes missing in between.
    const std::string temporary = link + ".new";
    unlink(temporary.c_str());
    return symlink(path, temporary.c_str()) == 0 && rename(temporary.c_str(), link.c_str()) == 0;
  }

  void Close() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
    master = slave = -1;
  }

  void Remove() {
    Close();
    if (!link.empty()) unlink(link.c_str());
  }
};

// Copies what from has to to; false when from is gone.
bool Relay(int from, int to) {
  char chunk[kChunkBytes];
  const ssize_t got = read(from, chunk, sizeof chunk);
  if (got <= 0) return got < 0 && (errno == EAGAIN || errno == EINTR);
  if (to < 0) return true;  // the other end is unplugged: the bytes are lost
  for (ssize_t done = 0; done < got;) {
    const ssize_t written = write(to, chunk + done, static_cast<size_t>(got - done));
    if (written < 0 && errno != EINTR) return true;
    if (written > 0) done += written;
  }
  return true;
}

void Answer(int control) {
  const char ok[] = "ok\n";
  ssize_t ignored = write(control, ok, sizeof ok - 1);
  (void)ignored;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: null_modem_relay DOSDEVICES\n");
    return 2;
  }
  const std::string dosdevices = argv[1];
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  Terminal control;
  Terminal board;
  Terminal logger;
  if (!control.Open(dosdevices, kControlPort) || !board.Open(dosdevices, kBoardPort) ||
      !logger.Open(dosdevices, kLoggerPort)) {
    std::perror("null_modem_relay: cannot make the ports");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  std::string command;
  while (!g_stop) {
    pollfd ready[3] = {{control.master, POLLIN, 0}, {board.master, POLLIN, 0}, {logger.master, POLLIN, 0}};
    const nfds_t count = logger.master >= 0 ? 3 : 2;
    if (poll(ready, count, kPollMs) <= 0) continue;
    if (ready[1].revents & POLLIN) Relay(board.master, logger.master);
    if (count == 3 && (ready[2].revents & POLLIN)) Relay(logger.master, board.master);
    if (ready[0].revents & POLLIN) {
      char chunk[64];
      const ssize_t got = read(control.master, chunk, sizeof chunk);
      for (ssize_t i = 0; i < got; ++i) {
        if (chunk[i] != '\n') {
          if (chunk[i] != '\r') command += chunk[i];
          continue;
        }
        if (command == "hangup") {
          logger.Close();
        } else if (command == "restore" && logger.master < 0) {
          logger.Open(dosdevices, kLoggerPort);
        }
        command.clear();
        Answer(control.master);
      }
    }
  }
  control.Remove();
  board.Remove();
  logger.Remove();
  return 0;
}

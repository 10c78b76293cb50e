/*
 * Modem lines for pseudo-terminals, preloaded into Wine by the Windows
 * tests. A pseudo-terminal has no RTS, DTR or modem-status lines, so the
 * requests Wine makes for EscapeCommFunction, GetCommModemStatus and
 * SetCommState fail there (ERROR_NOT_SUPPORTED). This library answers them
 * for terminals that have no such lines: it keeps the outputs' state per
 * process and appends every change to the file PLENX_MODEM_LINES_LOG names,
 * one line "RTS=<0|1> DTR=<0|1>", for a test to check. A device with real
 * lines answers itself.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

typedef int (*IoctlFunction)(int, unsigned long, ...);

/* A freshly opened port raises both outputs. */
static int g_lines = TIOCM_RTS | TIOCM_DTR;

static void RecordLines(void) {
  const char* path = getenv("PLENX_MODEM_LINES_LOG");
  if (path == NULL || path[0] == '\0') return;
  const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  char line[32];
  const int length =
      snprintf(line, sizeof line, "RTS=%d DTR=%d\n", (g_lines & TIOCM_RTS) != 0, (g_lines & TIOCM_DTR) != 0);
  if (length > 0) {
    ssize_t ignored = write(fd, line, (size_t)length);
    (void)ignored;
  }
  close(fd);
}

int ioctl(int fd, unsigned long request, ...) {
  static IoctlFunction real = NULL;
  if (real == NULL) real = (IoctlFunction)dlsym(RTLD_NEXT, "ioctl");
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);

  const int result = real(fd, request, argument);
  const int error = errno;
  const int isLineRequest =
      request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
  if (result == 0 || !isLineRequest || (error != ENOTTY && error != EINVAL) || !isatty(fd)) {
    errno = error;
    return result;
  }
  int* lines = (int*)argument;
  switch (request) {
    case TIOCMGET:
      /* The far end of a null-modem cable is always there. */
      *lines = g_lines | TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
      return 0;
    case TIOCMSET:
      g_lines = *lines & (TIOCM_RTS | TIOCM_DTR);
      break;
    case TIOCMBIS:
      g_lines |= *lines & (TIOCM_RTS | TIOCM_DTR);
      break;
    default:
      g_lines &= ~*lines;
      break;
  }
  RecordLines();
  return 0;
}

// The simulator's line on Windows: serial devices only.
#include "line_output.h"

std::optional<LineOutput> LineOutput::CreatePty(std::string& error) {
  error =
      "Windows has no pseudo-terminals: give --device COMn, one end of a null-modem pair whose other end "
      "the logger opens";
  return std::nullopt;
}

std::ptrdiff_t LineOutput::WritePtyNow(std::span<const uint8_t>) { return -1; }

void LineOutput::DropStaleInput() {}

bool LineOutput::DrainPty() { return true; }

void LineOutput::ClosePty() {}

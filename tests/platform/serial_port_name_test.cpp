// COM port names: which names are ports, and their numbers.
#include "platform/serial_port_name.h"

#include <gtest/gtest.h>

namespace {

TEST(ComPortNumber, OnlyComAndAPositiveNumberNameAPort) {
  const struct {
    const char* name;
    int number;
  } kCases[] = {
      {"COM3", 3},  {"COM12", 12}, {"COM3:", 3},  {"\\\\.\\COM24", 24}, {"\\\\.\\COM3:", 3},
      {"COM0", 0},  {"com3", 0},   {"COM", 0},    {"COM-2", 0},         {"COM+2", 0},
      {"COM 2", 0}, {"COM2x", 0},  {"COM2::", 0}, {"/dev/ttyS0", 0},    {"COM99999999999", 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(ComPortNumber(c.name), c.number) << c.name;
}

}  // namespace

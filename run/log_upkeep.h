// What the log writer's thread does besides writing lines, for a log left
// on site: flushing it to the disk, closing it at the rotation and starting
// a fresh one, and the repairs at Start. The writer calls these on its own
// thread only, in order: Begin once before the first line, then
// BeforeLine and AfterLine around each line written, and Tick whenever it
// wakes (no later than NextTick).
#pragma once

#include <chrono>
#include <string_view>

class LogUpkeep {
 public:
  virtual ~LogUpkeep() = default;
  virtual void Begin() = 0;
  // line (a whole log line) is about to be written: the log may be closed
  // first and a fresh one opened under its name.
  virtual void BeforeLine(std::string_view line) = 0;
  // line was written whole to the log.
  virtual void AfterLine(std::string_view line) = 0;
  // When Tick is due next.
  virtual std::chrono::steady_clock::time_point NextTick() const = 0;
  virtual void Tick() = 0;
};

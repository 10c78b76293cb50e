// When a long run closes its log and starts a fresh one: at local midnight
// (daily) or before the log would outgrow a size. The policy only decides;
// the log writer asks it before each line and, while no line comes, about
// once a second, with times from its WallClock.
//
// Days are local calendar days and only ever move forward. A file covers
// the latest day one of its lines was stamped with (or the day it was
// started on, while it is empty), and a daily log is closed before the
// first line stamped with a later day, so:
// - a daylight-saving change moves nothing but the stamps: the hour that is
//   repeated in autumn stays in its day's file, and where a zone changes at
//   midnight the file is closed at the first midnight only;
// - a clock set back (by hand, or by a time server correcting it) closes
//   nothing: the lines stamped with the earlier day go on into the current
//   file, which is archived under its own, later day when the clock reaches
//   the next midnight after it. An archive is never written again for an
//   earlier day, so none is replaced by a smaller one;
// - a clock set forward by days closes the file once; the days skipped get
//   no file.
#pragma once

#include <cstdint>

#include "config/rotation_settings.h"
#include "upkeep/local_date.h"

class RotationPolicy {
 public:
  explicit RotationPolicy(const RotationSettings& settings)
      : m_kind(settings.rotate), m_maxBytes(settings.rotateBytes) {}

  // A file begins: one just opened, or the log found at Start, which holds
  // fileBytes already and whose last line was stamped day (today when it has
  // none).
  void StartFile(const LocalDate& day, uint64_t fileBytes) {
    m_day = day;
    m_fileBytes = fileBytes;
  }

  // Whether the file must be closed before a line of lineBytes stamped on
  // stampDay is written to it. An empty file is never closed: a line longer
  // than the size limit gets a file to itself.
  bool DueBeforeLine(const LocalDate& stampDay, uint64_t lineBytes) const {
    if (m_fileBytes == 0) return false;
    switch (m_kind) {
      case RotationKind::kDaily:
        return stampDay > m_day;
      case RotationKind::kSize:
        return m_fileBytes >= m_maxBytes || lineBytes > m_maxBytes - m_fileBytes;
      case RotationKind::kNone:
        break;
    }
    return false;
  }

  // Whether the file must be closed at a moment of day today while no line
  // comes: a daily log that holds lines, once its day is over.
  bool DueWhileIdle(const LocalDate& today) const {
    return m_kind == RotationKind::kDaily && m_fileBytes > 0 && today > m_day;
  }

  // A line of lineBytes stamped on stampDay was written to the file.
  void Wrote(const LocalDate& stampDay, uint64_t lineBytes) {
    if (stampDay > m_day) m_day = stampDay;
    m_fileBytes += lineBytes;
  }

  // The day the file covers: its archive is dated with it.
  const LocalDate& Day() const { return m_day; }
  uint64_t FileBytes() const { return m_fileBytes; }

 private:
  RotationKind m_kind;
  uint64_t m_maxBytes;
  LocalDate m_day;
  uint64_t m_fileBytes = 0;
};

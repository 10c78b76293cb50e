// What the unit lists show, kept from a run's records: the banner's state
// and the Parameter/Value rows of every tab. The window's lists show these
// texts and an unattended run prints them, so both show the same.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/view_dump.h"
#include "run/run_observer.h"

// A face of the run. Its calls come on the run's threads; Dump and the
// other readers may be called on any thread meanwhile.
class RunViews : public RunObserver {
 public:
  // Before the first run: the tabs of config, without lists.
  explicit RunViews(const LoggerConfig& config);

  // A run or replay starts: every list with its labels and empty values.
  void OnRunStarted(const RunStart& start) override;
  // The rows the record fills take its texts; the others keep theirs.
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;
  // kLineQuiet shows the banner, kLineReceiving hides it.
  void OnRunEvent(const RunEvent& event) override;
  // The banner goes with the run; the values stay.
  void OnRunEnded(const RunEnd& end) override;

  // Every tab with the rows of its list, and the banner.
  ViewDump Dump() const;
  bool BannerShown() const;
  // The Value texts of list L (0 the outdoor list, u + 1 unit u's), one per
  // row; empty before the first run.
  std::vector<std::string> ListValues(size_t list) const;

 private:
  mutable std::mutex m_mutex;
  ViewDump m_dump;
  // Each list's tab: list L is on tab L.
  size_t m_listCount = 0;
  // The record rows of tab L begin at m_firstRow[L].
  std::vector<size_t> m_firstRow;
};

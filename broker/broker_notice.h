// What publishing tells the technician: failures they may have to act on,
// said once each, and their end. The window shows them; headless prints
// "plenx-logger: <text>" on standard error.
#pragma once

#include <functional>
#include <string>

struct BrokerNotice {
  enum class Kind {
    kFailure,    // the broker cannot be reached or refuses; the spool is full
    kRecovered,  // records go to the broker again
    kInfo,       // publishing has started
  };
  Kind kind = Kind::kFailure;
  // One or more whole sentences naming the broker or the folder; encoded as
  // the run's own messages (RunEvent::message), paths as the file system's bytes.
  std::string text;
};

// Called on the publisher's own thread; returns quickly (posts to a window,
// prints a line).
using BrokerNoticeHandler = std::function<void(const BrokerNotice&)>;

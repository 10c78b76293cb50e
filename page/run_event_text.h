// The page's event list entries for what happens to a run.
#pragma once

#include <optional>
#include <vector>

#include "decode/change_event.h"
#include "page/page_event.h"
#include "run/run_observer.h"

// The entry for event of the run start began; nullopt for an event that is
// no entry (the archive's progress, which the run's state shows).
std::optional<PageEvent> PageEventOf(const RunEvent& event, const RunStart& start);

// The entries for a run's start, and for its end: the end itself, then each
// failure the user must still be told of.
PageEvent RunStartedEvent(const RunStart& start);
std::vector<PageEvent> RunEndedEvents(const RunEnd& end);

// The entry for a value's change that the events face found; nullopt for
// the run's own events it also hands on, which the page takes from the run
// itself.
std::optional<PageEvent> PageEventOfChange(const ChangeEvent& change);

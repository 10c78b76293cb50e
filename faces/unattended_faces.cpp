// The unattended run with its optional faces.
#include "faces/unattended_faces.h"

#include <vector>

#include "faces/run_faces.h"
#include "run/event_face.h"

namespace {

void WriteNote(std::FILE* notes, const std::string& program, const std::string& text) {
  std::fprintf(notes, "%s: %s\n", program.c_str(), text.c_str());
  std::fflush(notes);
}

}  // namespace

int RunHeadlessWithFaces(const HeadlessOptions& options, const FaceSettings& settings, std::FILE* views,
                         std::FILE* notes, const std::string& program) {
  // Declared before the run, which ends inside RunHeadless: the faces go
  // after it, the broker with a few seconds to take what waits.
  EventFace events;
  RunFaces faces(events);
  std::string problem;
  // A replay is not the site's: nothing of it is published.
  if (!options.replayPath &&
      !faces.SetBroker(
          settings.broker,
          [notes, program](const BrokerNotice& notice) { WriteNote(notes, program, notice.text); },
          problem)) {
    WriteNote(notes, program, problem);
    return kExitNoRun;
  }
  if (settings.page.serve) {
    std::vector<std::string> accessLines;
    if (!faces.ServePage(settings.page, problem, accessLines)) {
      WriteNote(notes, program, problem);
      return kExitNoRun;
    }
    for (const std::string& line : accessLines) WriteNote(notes, program, line);
  }
  return RunHeadless(options, views, notes, program, {&events, &faces});
}

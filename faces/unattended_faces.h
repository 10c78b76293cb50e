// The unattended run with its optional faces: the run's events, the broker
// face and the live page, as the command line asks.
#pragma once

#include <cstdio>
#include <string>

#include "faces/optional_faces.h"
#include "headless/headless_run.h"

// RunHeadless with the faces settings ask for. Before the run, the page's
// access lines (its address, and the token or one-time link) are written
// once to notes, each as "<program>: <line>"; so is each of the broker's
// notices when it comes. A page that cannot be served is said there and
// no run starts (kExitNoRun). The broker's settings must have been checked
// (BrokerSettingsProblem).
int RunHeadlessWithFaces(const HeadlessOptions& options, const FaceSettings& settings, std::FILE* views,
                         std::FILE* notes, const std::string& program);

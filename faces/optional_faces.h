// The faces a build may leave out: publishing to an MQTT broker
// (PLENX_BUILD_BROKER) and the live page (PLENX_BUILD_PAGE). CMake builds
// each from one of two sources, the face's own (broker_on/, page_on/) or a
// stand-in that offers nothing (broker_off/, page_off/), so that callers
// need no #if and a program without the libraries links none of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "broker/broker_notice.h"
#include "broker/broker_settings.h"
#include "decode/change_event.h"
#include "page/page_settings.h"
#include "run/run_observer.h"

namespace CLI {
class App;
}

// Whether this build publishes to a broker.
bool BrokerFaceBuiltIn();
// Adds the broker's options (--mqtt, --site, ...) to app; none without it.
void AddBrokerFaceOptions(CLI::App& app, BrokerSettings& settings);
// Why settings are refused (a whole sentence naming the option or file);
// empty when they are good, ask for no publishing, or the build has none.
std::string BrokerSettingsProblem(const BrokerSettings& settings);
// The broker face: publishes the run and its events.
class PublishingFace {
 public:
  virtual ~PublishingFace() = default;
  // The face that publishes the run; subscribed while no run is active.
  virtual RunObserver& Face() = 0;
  // An event the events face found. Any thread.
  virtual void AddChange(const ChangeEvent& change) = 0;
};

// The broker face settings ask for: null with problem empty when they ask
// for none (no URL, or a build without it); null with problem set (a whole
// sentence naming the option or file) when they are refused. notice is
// called on the face's own thread.
std::unique_ptr<PublishingFace> MakeBrokerFace(const BrokerSettings& settings, BrokerNoticeHandler notice,
                                               std::string& problem);

// The live page, served from Start to the end of the program.
class ServedPage {
 public:
  virtual ~ServedPage() = default;
  // The face that keeps the page's state; subscribed while no run is active.
  virtual RunObserver& Face() = 0;
  // A change the events face found. Any thread.
  virtual void AddChange(const ChangeEvent& change) = 0;
  // How to reach the page (address, token, one-time link): to show once.
  virtual std::vector<std::string> AccessLines() const = 0;
};

// Whether this build serves the page.
bool PageFaceBuiltIn();
// Adds --serve and its options to app; none without the page.
void AddPageFaceOptions(CLI::App& app, PageSettings& settings);
// Serves the page as settings say; null with error (the address or file and
// the reason) when it cannot, or without the page in this build.
std::unique_ptr<ServedPage> ServePage(const PageSettings& settings, std::string& error);

// What the command line asks of the optional faces.
struct FaceSettings {
  BrokerSettings broker;
  PageSettings page;
};
// Adds the options of the faces this build has to app.
void AddFaceOptions(CLI::App& app, FaceSettings& settings);

// The window's optional faces of the run: the broker it publishes to (from
// the command line, else the "MQTT broker" dialog's remembered settings)
// and the live page (--serve). How to reach the page, and each failure of
// publishing and its end, are shown in message boxes over the window, once
// each.
//
// Threads: the window's, but for the broker's notices, which come on the
// publisher's thread and are posted to this one.
#pragma once

#include <QObject>
#include <optional>

#include "config/remembered_broker.h"
#include "faces/run_faces.h"
#include "ui/wnd.h"

class WindowFaces {
 public:
  // commandLine's broker settings, when they name a broker, take the place
  // of the remembered ones (until the dialog changes them); its page is
  // served by ServePage.
  WindowFaces(CWnd& window, EventFace& events, FaceSettings commandLine);
  WindowFaces(const WindowFaces&) = delete;
  WindowFaces& operator=(const WindowFaces&) = delete;

  // The face to subscribe to the run, after the events face.
  RunObserver& Face() { return m_faces; }

  // Once the window shows: serves the page if asked to, and shows how to
  // reach it (address, token, one-time link) in a box the text can be
  // copied from, or why it cannot be served.
  void ServePage();
  // Before each Start: the broker settings chosen since the last run take
  // effect. A refusal (a password file gone meanwhile) is shown, and the
  // run goes on without publishing.
  void PrepareRun();
  // The window menu's "MQTT broker...": the dialog, and on OK its settings
  // remembered for the next Start and the next start of the program.
  void EditBrokerSettings();

 private:
  // The broker settings for a run: the command line's, with the window's
  // fields in place of its own; no URL, no publishing.
  BrokerSettings RunBrokerSettings(const RememberedBroker& chosen) const;
  void ShowNotice(const BrokerNotice& notice);

  CWnd& m_window;
  // Receives the posted notices; declared before the faces, so that it
  // outlives the publisher's thread.
  QObject m_noticeTarget;
  RunFaces m_faces;
  FaceSettings m_commandLine;
  RememberedBroker m_chosen;
  // What the running broker face was made from; nullopt before the first run.
  std::optional<RememberedBroker> m_applied;
};

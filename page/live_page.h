// The live page of a run: a face that keeps what the window shows, and the
// server that shows it to browsers and programs. One object from the
// options to the end of the program:
//
//   std::string error;
//   std::unique_ptr<LivePage> page = LivePage::Start(settings, error);
//   if (!page) -> tell the user error
//   for (line : FormatPageAccess(page->access())) -> show once
//   run.Subscribe(&page->face());
//   eventFace.AddListener([&](const ChangeEvent& change, const auto&) { page->AddChange(change); });
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/change_event.h"
#include "page/live_state.h"
#include "page/page_event.h"
#include "page/page_limits.h"
#include "page/page_settings.h"
#include "run/run_observer.h"

class PageServer;

// How to reach the page, to show the user once.
struct PageAccess {
  // The page's address for each address of this machine it is served on
  // ("http://192.168.1.20:8080/").
  std::vector<std::string> urls;
  // The access token; empty when the page is open (this machine only).
  std::string token;
  // The file the token was read from; empty when it was made now.
  std::string tokenFile;
  // The first URL with the one-time sign-in code; empty when open.
  std::string signInLink;
};

// The lines that tell the user how to reach the page; the token among them.
std::vector<std::string> FormatPageAccess(const PageAccess& access);

class LivePage {
 public:
  // Starts serving as settings say. nullptr, with error naming the file or
  // address and the reason, when it cannot (the port is taken, the token
  // file or the certificate cannot be read).
  static std::unique_ptr<LivePage> Start(const PageSettings& settings, std::string& error,
                                         const PageLimits& limits = PageLimits{});
  // Ends every browser's stream (the page then says the logger has gone)
  // and stops serving.
  ~LivePage();
  LivePage(const LivePage&) = delete;
  LivePage& operator=(const LivePage&) = delete;

  // The face to subscribe to the run: it keeps the page's state and returns
  // at once; the server's threads do the rest.
  RunObserver& face() { return m_face; }
  // Adds an entry to the page's event list. Any thread.
  void AddEvent(const PageEvent& event) { m_state.AddEvent(event); }
  // Adds a value's change that the events face found (EventFace's listener);
  // the run's own events it also hands on are passed over, since the face
  // above takes them from the run. Any thread.
  void AddChange(const ChangeEvent& change);

  const PageAccess& access() const { return m_access; }
  int port() const;

 private:
  class Face final : public RunObserver {
   public:
    explicit Face(LiveState& state) : m_state(state) {}
    void OnRunStarted(const RunStart& start) override { m_state.StartRun(start); }
    void OnRecord(const std::shared_ptr<const RunRecord>& record) override { m_state.TakeRecord(record); }
    void OnRunEvent(const RunEvent& event) override { m_state.TakeRunEvent(event); }
    void OnRunEnded(const RunEnd& end) override { m_state.EndRun(end); }

   private:
    LiveState& m_state;
  };

  LivePage();

  LiveState m_state;
  Face m_face{m_state};
  std::unique_ptr<PageServer> m_server;
  PageAccess m_access;
};

// How the reader thread hands records to the user-interface thread: a
// message posted to a window, carrying the record text and the unit index;
// and how it reports what happened to the line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Message number of a record: WM_APP + 1.
inline constexpr uint32_t WM_LINK_RECORD = 0x8001;

// What the reader reports besides records.
enum class LinkEvent {
  // The port hung up or failed (the adapter was unplugged, say); the reader
  // has closed it and tries to open it again about once a second.
  kLineLost,
  // The port is open and configured again; records follow as before.
  kLineBack,
  // Bytes read from the line could not be written to the raw capture file
  // (a full disk, say); they are not in it. Reported once until
  // kRawCaptureResumed.
  kRawCaptureFailed,
  // Bytes reach the raw capture file again after kRawCaptureFailed.
  kRawCaptureResumed,
};

// A window that takes posted records. The dialog implements it on top of its
// event queue.
class RecordWindow {
 public:
  virtual ~RecordWindow() = default;

  // Queues message with the record text (a fresh object whose ownership
  // passes to the window) and the unit index for the window's own thread,
  // and returns without waiting. Returns false when the window takes no more
  // messages (destroyed, queue full); the record text is then freed with the
  // argument. Called on the reader thread.
  virtual bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) = 0;

  // Queues event for the window's own thread and returns without waiting;
  // error is the errno behind it, 0 for none (a line that simply hung up).
  // False when the window takes no more messages. Called on the reader
  // thread.
  virtual bool PostLinkEvent(LinkEvent event, int error) = 0;
};

// The link's name for its receiver, as a window handle is in the dialog.
using WindowHandle = RecordWindow*;

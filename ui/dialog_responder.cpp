// The installed dialog responder.
#include "ui/dialog_responder.h"

#include "ui/win_constants.h"

namespace {
DialogResponder* g_responder = nullptr;  // user-interface thread only
}  // namespace

void SetDialogResponder(DialogResponder* responder) { g_responder = responder; }

DialogResponder* GetDialogResponder() { return g_responder; }

int CancelAnswerFor(UINT type) {
  switch (type & kMessageBoxButtonsMask) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

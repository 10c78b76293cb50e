// The save-file dialog.
#pragma once

#include <string>

#include "ui/dialog_responder.h"
#include "ui/win_types.h"

// Asks for a file name to save to, with the filters, preselected filter,
// offered name and flags of `request`:
// - OFN_PATHMUSTEXIST: the folder of the chosen name must exist; the dialog
//   does not accept a name in a missing folder.
// - OFN_OVERWRITEPROMPT: asks before an existing file is chosen; without it
//   an existing file is accepted without a question.
// - a name typed without an extension gets request.defaultExtension, when
//   one is given; else none is added.
// On confirmation stores the chosen path in `*path` as the file system's
// bytes (never re-encoded) and returns TRUE. Returns FALSE, leaving `*path`
// alone, when cancelled, when the path does not fit fileBufferBytes with
// its terminating zero, or when a responder's answer breaks OFN_PATHMUSTEXIST.
// User-interface thread; an installed DialogResponder answers instead.
BOOL GetSaveFileName(const SaveFileRequest& request, std::string* path);

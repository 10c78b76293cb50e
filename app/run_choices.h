// The port and log file of a run chosen from the command line, through the
// main dialog's own controls, as a user would choose them.
#pragma once

#include <string>

class CTESSAMPLENXLOGGERDlg;

// Selects the item of the port list whose text is `portName` ("COM3"), with
// the notification a user's choice raises. False when the list has no such
// item.
bool ChoosePort(CTESSAMPLENXLOGGERDlg& dlg, const std::string& portName);

// Clicks "Save log file as..." and answers its dialog with `path` (file
// system bytes; a relative path is taken from the current folder). Returns
// the empty text when the dialog took it, else why it refused the path
// (naming it). User-interface thread, while the dialog is idle.
std::string ChooseLogFile(CTESSAMPLENXLOGGERDlg& dlg, const std::string& path);

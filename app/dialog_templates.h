// The two dialog templates of the program: the main dialog and the About box.
#pragma once

#include "ui/dialog_template.h"

// Template 102: the 500 x 240 main dialog, its controls in tab order.
DialogTemplate MainDialogTemplate();
// Template 100: the 190 x 62 About box.
DialogTemplate AboutDialogTemplate();

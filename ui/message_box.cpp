// Message boxes on QMessageBox, or answered by the installed responder.
#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <string>

#include "ui/dialog_responder.h"
#include "ui/text_codec.h"
#include "ui/win_app.h"
#include "ui/win_constants.h"
#include "ui/wnd.h"

namespace {

QMessageBox::Icon IconFor(UINT type) {
  switch (type & kMessageBoxIconMask) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsFor(UINT type) {
  switch (type & kMessageBoxButtonsMask) {
    case MB_OKCANCEL:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

int AnswerFor(QMessageBox::StandardButton button, UINT type) {
  switch (button) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      return CancelAnswerFor(type);
  }
}

}  // namespace

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  const std::string shownCaption = caption.empty() ? ApplicationName() : std::string(caption);
  if (DialogResponder* responder = GetDialogResponder()) {
    return responder->AnswerMessageBox(MessageBoxRequest{owner, std::string(text), shownCaption, type});
  }
  CWnd* ownerWindow = CWnd::FromHandle(owner);
  QMessageBox box(IconFor(type), TextToQt(shownCaption), TextToQt(text), ButtonsFor(type),
                  ownerWindow == nullptr ? nullptr : ownerWindow->GetWidget());
  if ((type & kMessageBoxButtonsMask) == MB_YESNOCANCEL || (type & kMessageBoxButtonsMask) == MB_OKCANCEL) {
    box.setEscapeButton(QMessageBox::Cancel);
  } else if ((type & kMessageBoxButtonsMask) == MB_OK) {
    box.setEscapeButton(QMessageBox::Ok);
  }
  box.exec();
  return AnswerFor(box.standardButton(box.clickedButton()), type);
}

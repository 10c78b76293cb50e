// Message boxes on QMessageBox, or answered by the installed responder.
#include "ui/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <string>

#include "ui/dialog_responder.h"
#include "ui/text_codec.h"
#include "ui/win_app.h"
#include "ui/win_constants.h"
#include "ui/window_placement.h"
#include "ui/wnd.h"

namespace {

// The caption is measured in the application's font, bold and this much
// larger, as window managers draw titles.
constexpr double kCaptionFontScale = 1.25;

// A message box that opens centred on its owner's window. Its size is only
// settled when it is shown, so it is placed then, before it appears.
class OwnedMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    CenterOnOwner(this, parentWidget());
  }
};

// Keeps the box at least as wide as its whole caption.
void MakeRoomForCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  QFont captionFont = QApplication::font();
  captionFont.setBold(true);
  captionFont.setPointSizeF(captionFont.pointSizeF() * kCaptionFontScale);
  const int widthPx = QFontMetrics(captionFont).horizontalAdvance(box.windowTitle()) + kCaptionDecorationPx;
  grid->addItem(new QSpacerItem(widthPx, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

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
  OwnedMessageBox box(IconFor(type), TextToQt(shownCaption), TextToQt(text), ButtonsFor(type),
                      ownerWindow == nullptr ? nullptr : ownerWindow->GetWidget());
  // Owned, it blocks its owner's window as a modal dialog does (dialog.h),
  // not the program's other windows; a box without an owner blocks them all.
  // Before the flags: QMessageBox sets its window type again here.
  if (ownerWindow != nullptr) box.setWindowModality(Qt::WindowModal);
  // A box is answered, not minimised or maximised.
  box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                     Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  MakeRoomForCaption(box);
  if ((type & kMessageBoxButtonsMask) == MB_YESNOCANCEL || (type & kMessageBoxButtonsMask) == MB_OKCANCEL) {
    box.setEscapeButton(QMessageBox::Cancel);
  } else if ((type & kMessageBoxButtonsMask) == MB_OK) {
    box.setEscapeButton(QMessageBox::Ok);
  }
  box.exec();
  return AnswerFor(box.standardButton(box.clickedButton()), type);
}

// Drop-down lists on QComboBox.
#include "ui/combo_box.h"

#include <QComboBox>
#include <algorithm>

#include "ui/text_codec.h"
#include "ui/window_dispatch.h"

namespace {

// Item data role holding the 8-bit text an item was added with.
constexpr int kItemBytesRole = Qt::UserRole;

// Tells selection changes made by the program from those made by the user.
class ComboBoxWidget : public QComboBox {
 public:
  bool m_changingByProgram = false;
};

ComboBoxWidget* Combo(QWidget* widget) { return dynamic_cast<ComboBoxWidget*>(widget); }

}  // namespace

BOOL CComboBox::Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID) {
  auto* combo = new ComboBoxWidget;
  combo->setEditable(false);
  combo->setFocusPolicy((dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
  if (!CreateFromWidget(combo, dwStyle, rect, pParentWnd, nID)) return FALSE;
  const int closedHeight = combo->sizeHint().height();
  const int itemHeight = combo->fontMetrics().height() + 4;
  combo->setMaxVisibleItems(std::max(1, (rect.Height() - closedHeight) / itemHeight));
  combo->resize(rect.Width(), closedHeight);
  const HWND handle = GetSafeHwnd();
  QObject::connect(combo, &QComboBox::currentIndexChanged, [handle, combo](int) {
    if (!combo->m_changingByProgram) WindowDispatch::DeliverNotification(handle, CBN_SELCHANGE);
  });
  return TRUE;
}

int CComboBox::AddString(std::string_view text) {
  ComboBoxWidget* combo = Combo(GetWidget());
  if (combo == nullptr) return CB_ERR;
  combo->m_changingByProgram = true;
  combo->addItem(TextToQt(text), QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  // A drop-down list starts without a selection.
  if (combo->count() == 1) combo->setCurrentIndex(-1);
  combo->m_changingByProgram = false;
  return combo->count() - 1;
}

int CComboBox::GetCount() const {
  ComboBoxWidget* combo = Combo(GetWidget());
  return combo == nullptr ? 0 : combo->count();
}

int CComboBox::SetCurSel(int nSelect) {
  ComboBoxWidget* combo = Combo(GetWidget());
  if (combo == nullptr) return CB_ERR;
  const bool inRange = nSelect >= 0 && nSelect < combo->count();
  combo->m_changingByProgram = true;
  combo->setCurrentIndex(inRange ? nSelect : -1);
  combo->m_changingByProgram = false;
  return inRange ? nSelect : CB_ERR;
}

BOOL CComboBox::ChooseItem(int nIndex) {
  ComboBoxWidget* combo = Combo(GetWidget());
  if (combo == nullptr || nIndex < 0 || nIndex >= combo->count()) return FALSE;
  combo->setCurrentIndex(nIndex);
  return TRUE;
}

int CComboBox::GetCurSel() const {
  ComboBoxWidget* combo = Combo(GetWidget());
  return combo == nullptr || combo->currentIndex() < 0 ? CB_ERR : combo->currentIndex();
}

int CComboBox::GetLBText(int nIndex, std::string& text) const {
  ComboBoxWidget* combo = Combo(GetWidget());
  if (combo == nullptr || nIndex < 0 || nIndex >= combo->count()) return CB_ERR;
  const QByteArray bytes = combo->itemData(nIndex, kItemBytesRole).toByteArray();
  text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return static_cast<int>(text.size());
}

// Report-style list views on QTableWidget.
#include "ui/list_ctrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>
#include <algorithm>

#include "ui/text_codec.h"

namespace {

// Item data role holding the 8-bit text a cell was set with.
constexpr int kCellBytesRole = Qt::UserRole;
// Extra pixels above and below a row's text.
constexpr int kRowPaddingPx = 4;

QTableWidget* Table(QWidget* widget) { return qobject_cast<QTableWidget*>(widget); }

// Draws cells as usual; a pointer resting on a cell whose text does not fit
// shows the whole text as a tooltip.
class CutTextTipDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    // The cell's rectangle leaves out the grid line; the size hint is the
    // text's one line with its margins.
    if (!text.isEmpty() && sizeHint(option, index).width() > option.rect.width()) {
      QToolTip::showText(event->globalPos(), text, view, option.rect);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
};

QTableWidgetItem* NewCell(std::string_view text) {
  auto* item = new QTableWidgetItem(TextToQt(text));
  item->setData(kCellBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

BOOL CListCtrl::Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID) {
  auto* table = new QTableWidget;
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + kRowPaddingPx);
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  table->horizontalHeader()->setHighlightSections(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setShowGrid(false);
  table->setSelectionBehavior(QAbstractItemView::SelectItems);
  table->setFrameShape((dwStyle & WS_BORDER) != 0 ? QFrame::StyledPanel : QFrame::NoFrame);
  table->setFocusPolicy((dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
  // One line per cell, cut at its end when too long, as list views show it.
  table->setWordWrap(false);
  table->setItemDelegate(new CutTextTipDelegate(table));
  m_extendedStyle = 0;
  return CreateFromWidget(table, dwStyle, rect, pParentWnd, nID);
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr) return 0;
  const DWORD previous = m_extendedStyle;
  m_extendedStyle = dwNewStyle;
  table->setShowGrid((dwNewStyle & LVS_EX_GRIDLINES) != 0);
  table->setSelectionBehavior((dwNewStyle & LVS_EX_FULLROWSELECT) != 0 ? QAbstractItemView::SelectRows
                                                                       : QAbstractItemView::SelectItems);
  return previous;
}

DWORD CListCtrl::GetExtendedStyle() const { return GetWidget() == nullptr ? 0 : m_extendedStyle; }

int CListCtrl::InsertColumn(int nCol, std::string_view heading, int nFormat, int nWidth) {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nCol < 0) return -1;
  const int index = std::min(nCol, table->columnCount());
  table->insertColumn(index);
  QTableWidgetItem* header = NewCell(heading);
  header->setTextAlignment(nFormat == LVCFMT_LEFT ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
  table->setHorizontalHeaderItem(index, header);
  if (nWidth >= 0) table->setColumnWidth(index, nWidth);
  return index;
}

int CListCtrl::GetColumnCount() const {
  QTableWidget* table = Table(GetWidget());
  return table == nullptr ? 0 : table->columnCount();
}

int CListCtrl::GetColumnWidth(int nCol) const {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nCol < 0 || nCol >= table->columnCount()) return 0;
  return table->columnWidth(nCol);
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nCol < 0 || nCol >= table->columnCount()) return FALSE;
  if (cx == LVSCW_AUTOSIZE_USEHEADER) {
    table->resizeColumnToContents(nCol);
  } else if (cx == LVSCW_AUTOSIZE) {
    table->setColumnWidth(nCol, static_cast<const QAbstractItemView*>(table)->sizeHintForColumn(nCol));
  } else {
    table->setColumnWidth(nCol, std::max(cx, 0));
  }
  return TRUE;
}

int CListCtrl::InsertItem(int nItem, std::string_view text) {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nItem < 0 || table->columnCount() == 0) return -1;
  const int row = std::min(nItem, table->rowCount());
  table->insertRow(row);
  table->setItem(row, 0, NewCell(text));
  for (int column = 1; column < table->columnCount(); ++column) table->setItem(row, column, NewCell(""));
  return row;
}

int CListCtrl::GetItemCount() const {
  QTableWidget* table = Table(GetWidget());
  return table == nullptr ? 0 : table->rowCount();
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, std::string_view text) {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nItem < 0 || nItem >= table->rowCount() || nSubItem < 0 ||
      nSubItem >= table->columnCount()) {
    return FALSE;
  }
  if (QTableWidgetItem* cell = table->item(nItem, nSubItem)) {
    cell->setText(TextToQt(text));
    cell->setData(kCellBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  } else {
    table->setItem(nItem, nSubItem, NewCell(text));  // a column inserted after the row
  }
  return TRUE;
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
  QTableWidget* table = Table(GetWidget());
  if (table == nullptr || nItem < 0 || nItem >= table->rowCount() || nSubItem < 0 ||
      nSubItem >= table->columnCount()) {
    return {};
  }
  const QTableWidgetItem* cell = table->item(nItem, nSubItem);
  if (cell == nullptr) return {};
  const QByteArray bytes = cell->data(kCellBytesRole).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

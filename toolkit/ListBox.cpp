#include "toolkit/ListBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace quorrel {

namespace {

// Every line is one line of text, all as wide as the widest: equal sizes let a long log lay
// out without measuring each line again, and the widest line gives the sideways extent.
class CLineDelegate final : public QStyledItemDelegate {
public:
    explicit CLineDelegate(CXTListBox& box) : QStyledItemDelegate(&box), m_box(box) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return QSize(std::max(size.width(), m_box.WidestLine() + kTextMargins), size.height());
    }

private:
    // What the style puts around an item's text, on both sides together.
    static constexpr int kTextMargins = 12;
    const CXTListBox& m_box;
};

}  // namespace

CXTListBox::CXTListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformItemSizes(true);
    setItemDelegate(new CLineDelegate(*this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pCopy = new QAction(QStringLiteral("&Copy"), this);
    m_pCopy->setObjectName(QStringLiteral("listBoxCopy"));
    m_pCopy->setShortcut(QKeySequence::Copy);
    m_pCopy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_pCopy, &QAction::triggered, this, &CXTListBox::CopySelection);
    addAction(m_pCopy);
}

void CXTListBox::AddLine(const QString& line) {
    const int nWidth = fontMetrics().horizontalAdvance(line);
    if (nWidth > m_nWidest) {
        m_nWidest = nWidth;
        // The equal size of every line is measured again at the next layout.
        scheduleDelayedItemsLayout();
    }
    addItem(line);
}

QString CXTListBox::SelectedText() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const int nRow : rows) {
        lines.append(item(nRow)->text());
    }
    return lines.join(QLatin1Char('\n'));
}

void CXTListBox::CopySelection() {
    if (selectionModel()->hasSelection()) {
        QApplication::clipboard()->setText(SelectedText());
    }
}

// The tool tip of a line is the line itself, so that one wider than the box is read whole.
bool CXTListBox::viewportEvent(QEvent* pEvent) {
    if (pEvent->type() == QEvent::ToolTip) {
        const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
        const QListWidgetItem* pItem = itemAt(pHelp->pos());
        if (pItem != nullptr && !pItem->text().isEmpty()) {
            QToolTip::showText(pHelp->globalPos(), pItem->text(), viewport(),
                               visualItemRect(pItem));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QListWidget::viewportEvent(pEvent);
}

void CXTListBox::contextMenuEvent(QContextMenuEvent* pEvent) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("listBoxMenu"));
    m_pCopy->setEnabled(selectionModel()->hasSelection());
    menu.addAction(m_pCopy);
    menu.exec(pEvent->globalPos());
    m_pCopy->setEnabled(true);
}

}  // namespace quorrel

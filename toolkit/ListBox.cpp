#include "toolkit/ListBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <cmath>

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
    const int nWidth = LineWidth(line);
    if (nWidth > m_nWidest) {
        m_nWidest = nWidth;
        // The equal size of every line is measured again at the next layout.
        scheduleDelayedItemsLayout();
    }
    addItem(line);
}

// The width of `line` in the box's font. A long run adds tens of thousands of lines, nearly all
// of them ASCII, and shaping each one cost the window more than the shredding: so those are
// summed from each character's advance, measured once per font. Kerning, which that leaves out,
// moves a line's end by a pixel or two, well inside the margins around the text.
int CXTListBox::LineWidth(const QString& line) {
    constexpr char16_t kFirst = 0x20;
    constexpr char16_t kLast = 0x7e;
    if (m_asciiAdvances.empty()) {
        const QFontMetricsF metrics(font());
        for (char16_t c = kFirst; c <= kLast; ++c) {
            m_asciiAdvances.push_back(metrics.horizontalAdvance(QChar(c)));
        }
    }
    qreal fWidth = 0;
    for (const QChar c : line) {
        if (c.unicode() < kFirst || c.unicode() > kLast) {
            return fontMetrics().horizontalAdvance(line);
        }
        fWidth += m_asciiAdvances[c.unicode() - kFirst];
    }
    return static_cast<int>(std::ceil(fWidth));
}

void CXTListBox::changeEvent(QEvent* pEvent) {
    if (pEvent->type() == QEvent::FontChange) {
        m_asciiAdvances.clear();
    }
    QListWidget::changeEvent(pEvent);
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

// The sidebar's geometry: where headers, items and scroll arrows go, and the hit test. The
// folders up to the selected one are stacked at the top, the others at the bottom; the
// selected folder's items fill the space between, from its first visible item down.
#include <QFontMetrics>
#include <QTextLayout>

#include "toolkit/OutBarCtrl.h"

namespace quorrel {

namespace {

constexpr int kLargeIcon = 32;
constexpr int kSmallIcon = 16;
// Large items: room above the icon, between icon and label, and below the label.
constexpr int kLargeTop = 8;
constexpr int kLargeGap = 4;
constexpr int kLargeBottom = 8;
// Long labels wrap under a large icon; beyond three lines they are cut short.
constexpr int kLargeLabelLines = 3;
constexpr int kLabelMargin = 6;
// Small items: icon and label side by side in one row.
constexpr int kSmallIndent = 10;
constexpr int kSmallGap = 6;
constexpr int kSmallRowPad = 10;
// The frame drawn around an icon while the pointer rests on it: it takes clicks too.
constexpr int kIconFrame = 4;
constexpr int kArrowSize = 17;
constexpr int kArrowMargin = 4;

}  // namespace

int CXTOutBarCtrl::HeaderHeight() const {
    return qMax(24, fontMetrics().height() + 10);
}

int CXTOutBarCtrl::LabelLineHeight() const {
    return fontMetrics().height();
}

QRect CXTOutBarCtrl::GetItemsArea() const {
    if (m_nSelFolder < 0) {
        return rect();
    }
    const int nTop = (m_nSelFolder + 1) * HeaderHeight();
    const int nBottom = height() - (GetFolderCount() - m_nSelFolder - 1) * HeaderHeight();
    return {0, nTop, width(), qMax(0, nBottom - nTop)};
}

QRect CXTOutBarCtrl::GetFolderRect(int nFolder) const {
    if (nFolder < 0 || nFolder >= GetFolderCount()) {
        return {};
    }
    const int nHeight = HeaderHeight();
    const int nTop = nFolder <= m_nSelFolder ? nFolder * nHeight
                                             : height() - (GetFolderCount() - nFolder) * nHeight;
    return {0, nTop, width(), nHeight};
}

// The rectangle the label's text takes once wrapped (large icons) or elided (small icons),
// inside the item's slot `slot`.
QRect CXTOutBarCtrl::LabelTextRect(int nIndex, const QRect& slot) const {
    const QFontMetrics metrics = fontMetrics();
    const QString text = GetItemText(nIndex);
    if (IsSmallIconView()) {
        const int nLeft = slot.left() + kSmallIndent + kSmallIcon + kSmallGap;
        const int nRoom = qMax(0, slot.right() - kLabelMargin - nLeft + 1);
        const int nWidth = qMin(nRoom, metrics.horizontalAdvance(text) + 1);
        const int nHeight = LabelLineHeight();
        return {nLeft, slot.top() + (slot.height() - nHeight) / 2, nWidth, nHeight};
    }
    const int nRoom = qMax(1, slot.width() - 2 * kLabelMargin);
    int nWidth = 0;
    const QStringList lines = LabelLines(nIndex, nRoom);
    for (const QString& line : lines) {
        nWidth = qMax(nWidth, metrics.horizontalAdvance(line) + 1);
    }
    nWidth = qMin(nWidth, nRoom);
    const int nTop = slot.top() + kLargeTop + kLargeIcon + kLargeGap;
    return {slot.left() + (slot.width() - nWidth) / 2, nTop, nWidth,
            static_cast<int>(lines.size()) * LabelLineHeight()};
}

QStringList CXTOutBarCtrl::LabelLines(int nIndex, int nWidth) const {
    const QString text = GetItemText(nIndex);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(nWidth);
        if (lines.size() == kLargeLabelLines - 1) {
            // The last line we have room for takes the rest, shortened with an ellipsis.
            lines.append(
                fontMetrics().elidedText(text.mid(line.textStart()), Qt::ElideRight, nWidth));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    return lines;
}

int CXTOutBarCtrl::ItemHeight(int nIndex) const {
    if (IsSmallIconView()) {
        return qMax(kSmallIcon, LabelLineHeight()) + kSmallRowPad;
    }
    const QRect label = LabelTextRect(nIndex, QRect(0, 0, width(), 0));
    return kLargeTop + kLargeIcon + kLargeGap + qMax(LabelLineHeight(), label.height()) +
           kLargeBottom;
}

int CXTOutBarCtrl::ItemTop(int nIndex) const {
    int nTop = GetItemsArea().top();
    for (int n = m_nFirstItem; n < nIndex; ++n) {
        nTop += ItemHeight(n);
    }
    return nTop;
}

bool CXTOutBarCtrl::ItemsOverflow() const {
    const int nCount = GetItemCount();
    if (nCount == 0 || m_nSelFolder < 0) {
        return false;
    }
    const QRect area = GetItemsArea();
    return ItemTop(nCount - 1) + ItemHeight(nCount - 1) > area.top() + area.height();
}

QRect CXTOutBarCtrl::GetIconRect(int nIndex) const {
    const QRect area = GetItemsArea();
    if (nIndex < m_nFirstItem || nIndex >= GetItemCount() ||
        ItemTop(nIndex) >= area.top() + area.height()) {
        return {};
    }
    const int nTop = ItemTop(nIndex);
    if (IsSmallIconView()) {
        const int nRow = ItemHeight(nIndex);
        return {area.left() + kSmallIndent, nTop + (nRow - kSmallIcon) / 2, kSmallIcon, kSmallIcon};
    }
    return {area.left() + (area.width() - kLargeIcon) / 2, nTop + kLargeTop, kLargeIcon,
            kLargeIcon};
}

QRect CXTOutBarCtrl::GetLabelRect(int nIndex) const {
    if (GetIconRect(nIndex).isNull()) {
        return {};
    }
    const QRect area = GetItemsArea();
    return LabelTextRect(nIndex,
                         QRect(area.left(), ItemTop(nIndex), area.width(), ItemHeight(nIndex)));
}

QRect CXTOutBarCtrl::GetItemRect(int nIndex) const {
    const QRect icon = GetIconRect(nIndex);
    if (icon.isNull()) {
        return {};
    }
    return icon.adjusted(-kIconFrame, -kIconFrame, kIconFrame, kIconFrame)
        .united(GetLabelRect(nIndex).adjusted(-2, -1, 2, 1));
}

QRect CXTOutBarCtrl::GetArrowRect(bool bUp) const {
    if (m_nSelFolder < 0 || (bUp ? m_nFirstItem == 0 : !ItemsOverflow())) {
        return {};
    }
    const QRect area = GetItemsArea();
    if (area.height() < 2 * (kArrowSize + kArrowMargin)) {
        return {};  // no room for both: the wheel still scrolls
    }
    const int nLeft = area.right() - kArrowMargin - kArrowSize + 1;
    const int nTop =
        bUp ? area.top() + kArrowMargin : area.bottom() - kArrowMargin - kArrowSize + 1;
    return {nLeft, nTop, kArrowSize, kArrowSize};
}

int CXTOutBarCtrl::HitTest(const QPoint& point, int* pIndex) const {
    int nDummy = -1;
    int& nIndex = pIndex ? *pIndex : nDummy;
    nIndex = -1;
    if (GetFolderCount() == 0) {
        return HitNone;
    }
    if (GetArrowRect(true).contains(point)) {
        return HitUpArrow;
    }
    if (GetArrowRect(false).contains(point)) {
        return HitDownArrow;
    }
    for (int nFolder = 0; nFolder < GetFolderCount(); ++nFolder) {
        if (GetFolderRect(nFolder).contains(point)) {
            nIndex = nFolder;
            return HitFolder;
        }
    }
    const QRect area = GetItemsArea();
    if (!area.contains(point)) {
        return HitNone;
    }
    for (int nItem = m_nFirstItem; nItem < GetItemCount(); ++nItem) {
        const QRect icon = GetIconRect(nItem);
        if (icon.isNull()) {
            break;  // below the client area: nothing further down is on show
        }
        if (icon.adjusted(-kIconFrame, -kIconFrame, kIconFrame, kIconFrame).contains(point) ||
            GetLabelRect(nItem).contains(point) ||
            (IsSmallIconView() && GetItemRect(nItem).contains(point))) {
            nIndex = nItem;
            return HitItem;
        }
    }
    return HitNone;
}

bool CXTOutBarCtrl::Scroll(int nDelta) {
    if (nDelta < 0 && m_nFirstItem > 0) {
        --m_nFirstItem;
    } else if (nDelta > 0 && ItemsOverflow()) {
        ++m_nFirstItem;
    } else {
        return false;
    }
    m_nHoverItem = -1;
    update();
    return true;
}

QSize CXTOutBarCtrl::sizeHint() const {
    return {120, 300};
}

QSize CXTOutBarCtrl::minimumSizeHint() const {
    // The splitter may fold the column away entirely.
    return {0, 0};
}

}  // namespace quorrel

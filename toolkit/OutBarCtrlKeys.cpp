// The sidebar from the keyboard: Tab reaches it, Up and Down move the focus between the items
// of the selected folder, Enter or Space runs the focused item as a click does, and Left/Right
// (or Page Up/Page Down) open the folder before or after.
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>

#include "toolkit/OutBarCtrl.h"

namespace quorrel {

void CXTOutBarCtrl::SetFocusItem(int nIndex) {
    const int nCount = GetItemCount();
    m_nFocusItem = nCount == 0 ? -1 : qBound(0, nIndex, nCount - 1);
    // Bring it into sight: scroll up to it, or down until it is drawn.
    while (m_nFocusItem >= 0 && m_nFocusItem < m_nFirstItem && Scroll(-1)) {
    }
    while (m_nFocusItem >= 0 && GetItemRect(m_nFocusItem).isEmpty() && Scroll(1)) {
    }
    update();
}

void CXTOutBarCtrl::ClickFocusItem() {
    if (m_nFocusItem < 0 || m_nFocusItem >= GetItemCount()) {
        return;
    }
    const int nIndex = m_nFocusItem;
    // As a click: the receiver may run a whole command and take the control down.
    const QPointer<CXTOutBarCtrl> self(this);
    if (Ask(&CXTOutBarCtrl::ItemClicked, nIndex, GetItemText(nIndex)) && self &&
        nIndex < GetItemCount()) {
        SetHighlight(nIndex);
    }
}

void CXTOutBarCtrl::keyPressEvent(QKeyEvent* pEvent) {
    const int nFolder = m_nSelFolder;
    switch (pEvent->key()) {
        case Qt::Key_Up:
            SetFocusItem(m_nFocusItem - 1);
            break;
        case Qt::Key_Down:
            SetFocusItem(m_nFocusItem < 0 ? 0 : m_nFocusItem + 1);
            break;
        case Qt::Key_Home:
            SetFocusItem(0);
            break;
        case Qt::Key_End:
            SetFocusItem(GetItemCount() - 1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            ClickFocusItem();
            return;
        case Qt::Key_Left:
        case Qt::Key_PageUp:
            if (SetSelFolder(nFolder - 1)) {
                SetFocusItem(0);
            }
            break;
        case Qt::Key_Right:
        case Qt::Key_PageDown:
            if (SetSelFolder(nFolder + 1)) {
                SetFocusItem(0);
            }
            break;
        default:
            QWidget::keyPressEvent(pEvent);
            return;
    }
    pEvent->accept();
}

void CXTOutBarCtrl::focusInEvent(QFocusEvent* pEvent) {
    if (m_nFocusItem < 0 || m_nFocusItem >= GetItemCount()) {
        SetFocusItem(0);
    }
    QWidget::focusInEvent(pEvent);
    update();
}

void CXTOutBarCtrl::focusOutEvent(QFocusEvent* pEvent) {
    QWidget::focusOutEvent(pEvent);
    update();
}

// The focused item gets the style's focus frame while the control has the keyboard focus.
void CXTOutBarCtrl::DrawFocus(QPainter& painter) const {
    if (!hasFocus() || m_nFocusItem < 0) {
        return;
    }
    const QRect rect = GetItemRect(m_nFocusItem);
    if (rect.isEmpty()) {
        return;
    }
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect.adjusted(-2, -2, 2, 2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace quorrel

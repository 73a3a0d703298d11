// The sidebar under the pointer: hover, pressed items and headers (the control keeps the
// pointer from press to release, so a press that ends elsewhere does nothing), the scroll
// arrows and their repeat, the wheel, the right-click menu and the in-place editor.
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimerEvent>
#include <QWheelEvent>

#include "toolkit/OutBarCtrl.h"
#include "toolkit/QtCompat.h"

namespace quorrel {

namespace {

// Timer 1 looks for the pointer having left; timer 2 repeats a held scroll arrow.
constexpr int kHoverPeriodMs = 100;
constexpr int kScrollPeriodMs = 300;

const char kSmallIcons[] = "S&mall Icons";
const char kLargeIcons[] = "Lar&ge Icons";
const char kRemoveItem[] = "Remove Shortcut";
const char kRenameItem[] = "Rename Shortcut";
const char kRemoveFolder[] = "Remove Group";
const char kRenameFolder[] = "Rename Group";

bool IsArrow(int nHit) {
    return nHit == CXTOutBarCtrl::HitUpArrow || nHit == CXTOutBarCtrl::HitDownArrow;
}

QAction* AddMenuAction(QMenu& menu, const char* pszText, const char* pszObjectName) {
    QAction* pAction = menu.addAction(QString::fromUtf8(pszText));
    pAction->setObjectName(QString::fromLatin1(pszObjectName));
    return pAction;
}

}  // namespace

void CXTOutBarCtrl::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    EndEdit(true);  // a click elsewhere finishes the edit, as leaving the field does
    m_ptLast = EventPosition(pEvent).toPoint();
    int nIndex = -1;
    const int nHit = HitTest(m_ptLast, &nIndex);
    if (nHit == HitNone) {
        return;
    }
    m_press = SPress{nHit, nIndex, true};
    if (IsArrow(nHit)) {
        m_timerScroll.start(kScrollPeriodMs, this);
    }
    update();
}

void CXTOutBarCtrl::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    // The second press of a double click is a press like the first: each click counts.
    mousePressEvent(pEvent);
}

void CXTOutBarCtrl::mouseMoveEvent(QMouseEvent* pEvent) {
    m_ptLast = EventPosition(pEvent).toPoint();
    m_timerHover.start(kHoverPeriodMs, this);
    if (m_press.nHit != HitNone) {
        UpdatePress(m_ptLast);
    } else {
        UpdateHover(m_ptLast);
    }
}

void CXTOutBarCtrl::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton || m_press.nHit == HitNone) {
        QWidget::mouseReleaseEvent(pEvent);
        return;
    }
    m_ptLast = EventPosition(pEvent).toPoint();
    FinishPress(m_ptLast);
}

void CXTOutBarCtrl::UpdateHover(const QPoint& point) {
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    const int nFolder = nHit == HitFolder ? nIndex : -1;
    const int nItem = nHit == HitItem ? nIndex : -1;
    if (nFolder != m_nHoverFolder || nItem != m_nHoverItem) {
        m_nHoverFolder = nFolder;
        m_nHoverItem = nItem;
        update();
    }
}

void CXTOutBarCtrl::UpdatePress(const QPoint& point) {
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    const bool bInside = nHit == m_press.nHit && (IsArrow(nHit) || nIndex == m_press.nIndex);
    if (bInside != m_press.bInside) {
        m_press.bInside = bInside;
        update();
    }
}

void CXTOutBarCtrl::FinishPress(const QPoint& point) {
    const SPress press = m_press;
    m_press = SPress();
    m_timerScroll.stop();
    update();
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    if (nHit != press.nHit || (!IsArrow(nHit) && nIndex != press.nIndex)) {
        UpdateHover(point);
        return;  // released elsewhere: the press is dropped
    }
    // The receiver's answer may run a whole command (a shredding run, a modal box) and may even
    // take the control down with the window: nothing of it is touched after that.
    const QPointer<CXTOutBarCtrl> self(this);
    if (nHit == HitItem) {
        if (Ask(&CXTOutBarCtrl::ItemClicked, nIndex, GetItemText(nIndex)) && self &&
            nIndex < GetItemCount()) {
            SetHighlight(nIndex);
        }
    } else if (nHit == HitFolder) {
        if (nIndex != m_nSelFolder) {
            SetSelFolder(nIndex);
        }
    } else {
        Scroll(nHit == HitUpArrow ? -1 : 1);
    }
    if (self) {
        UpdateHover(point);
    }
}

void CXTOutBarCtrl::timerEvent(QTimerEvent* pEvent) {
    if (pEvent->timerId() == m_timerHover.timerId()) {
        if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
            m_timerHover.stop();
            ClearHover();
        }
        return;
    }
    if (pEvent->timerId() == m_timerScroll.timerId()) {
        // Only while the pointer is on the held arrow: dragged off it, the repeat pauses.
        if (IsArrow(m_press.nHit) && HitTest(m_ptLast) == m_press.nHit) {
            Scroll(m_press.nHit == HitUpArrow ? -1 : 1);
        }
        if (m_press.nHit != HitNone) {
            UpdatePress(m_ptLast);
        }
        return;
    }
    QWidget::timerEvent(pEvent);
}

void CXTOutBarCtrl::leaveEvent(QEvent* pEvent) {
    QWidget::leaveEvent(pEvent);
    if (m_press.nHit == HitNone) {
        ClearHover();
    }
}

void CXTOutBarCtrl::wheelEvent(QWheelEvent* pEvent) {
    const int nDelta = pEvent->angleDelta().y();
    if (nDelta != 0) {
        Scroll(nDelta > 0 ? -1 : 1);
    }
    pEvent->accept();
}

void CXTOutBarCtrl::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    ClampFirstItem();
    EndEdit(true);
}

void CXTOutBarCtrl::contextMenuEvent(QContextMenuEvent* pEvent) {
    ShowContextMenu(pEvent->pos(), pEvent->globalPos());
    pEvent->accept();
}

void CXTOutBarCtrl::ShowContextMenu(const QPoint& point, const QPoint& globalPos) {
    EndEdit(true);
    m_press = SPress();
    m_timerScroll.stop();
    int nIndex = -1;
    const int nHit = HitTest(point, &nIndex);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("outBarContextMenu"));
    QAction* pSmall = AddMenuAction(menu, kSmallIcons, "outBarSmallIcons");
    QAction* pLarge = AddMenuAction(menu, kLargeIcons, "outBarLargeIcons");
    pSmall->setCheckable(true);
    pLarge->setCheckable(true);
    pSmall->setChecked(IsSmallIconView());
    pLarge->setChecked(!IsSmallIconView());
    const quint32 dwRemove = nHit == HitItem ? FlagRemoveItems : FlagRemoveFolders;
    const quint32 dwRename = nHit == HitItem ? FlagRenameItems : FlagRenameFolders;
    QAction* pRemove = nullptr;
    QAction* pRename = nullptr;
    if ((nHit == HitItem || nHit == HitFolder) && (m_dwFlags & (dwRemove | dwRename)) != 0) {
        menu.addSeparator();
        const bool bItem = nHit == HitItem;
        if ((m_dwFlags & dwRemove) != 0) {
            pRemove = bItem ? AddMenuAction(menu, kRemoveItem, "outBarRemoveItem")
                            : AddMenuAction(menu, kRemoveFolder, "outBarRemoveFolder");
        }
        if ((m_dwFlags & dwRename) != 0) {
            pRename = bItem ? AddMenuAction(menu, kRenameItem, "outBarRenameItem")
                            : AddMenuAction(menu, kRenameFolder, "outBarRenameFolder");
        }
    }
    // With no folder left the menu offers the owner's actions too: the way back to them.
    if (GetFolderCount() == 0 && !actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    const QPointer<CXTOutBarCtrl> self(this);
    QAction* pChosen = menu.exec(globalPos);
    if (!self || pChosen == nullptr) {
        return;
    }
    if (pChosen == pSmall || pChosen == pLarge) {
        SetSmallIconView(pChosen == pSmall);
    } else if (pChosen == pRemove && nHit == HitItem) {
        RemoveItem(nIndex);
    } else if (pChosen == pRemove) {
        RemoveFolder(nIndex);
    } else if (pChosen == pRename && nHit == HitItem) {
        EditItemText(nIndex);
    } else if (pChosen == pRename) {
        EditFolderText(nIndex);
    }
}

void CXTOutBarCtrl::EditItemText(int nIndex) {
    if (Item(nIndex) == nullptr) {
        return;
    }
    if (GetIconRect(nIndex).isNull()) {
        m_nFirstItem = nIndex;  // bring it into sight first
        ClampFirstItem();
    }
    const QRect area = GetItemsArea();
    const QRect label = GetLabelRect(nIndex);
    const int nHeight = LabelLineHeight() + 8;
    QRect editRect(area.left() + 4, label.top() - 3, area.width() - 8, nHeight);
    if (IsSmallIconView()) {
        const int nLeft = label.left() - 3;
        editRect =
            QRect(nLeft, label.center().y() - nHeight / 2, area.right() - 3 - nLeft, nHeight);
    }
    OpenEditor(HitItem, nIndex, editRect, GetItemText(nIndex));
}

void CXTOutBarCtrl::EditFolderText(int nFolder) {
    if (nFolder < 0 || nFolder >= GetFolderCount()) {
        return;
    }
    OpenEditor(HitFolder, nFolder, GetFolderRect(nFolder).adjusted(2, 1, -2, -1),
               GetFolderText(nFolder));
}

void CXTOutBarCtrl::OpenEditor(int nHit, int nIndex, const QRect& rect, const QString& text) {
    EndEdit(true);
    m_pEditor = new QLineEdit(text, this);
    m_pEditor->setObjectName(QStringLiteral("outBarEditor"));
    m_pEditor->setAlignment(nHit == HitItem && IsSmallIconView() ? Qt::AlignLeft
                                                                 : Qt::AlignHCenter);
    m_pEditor->setGeometry(rect);
    m_pEditor->selectAll();
    m_pEditor->installEventFilter(this);
    m_nEditHit = nHit;
    m_nEditIndex = nIndex;
    connect(m_pEditor, &QLineEdit::editingFinished, this, [this] { EndEdit(true); });
    m_pEditor->show();
    m_pEditor->setFocus(Qt::OtherFocusReason);
}

void CXTOutBarCtrl::EndEdit(bool bCommit) {
    if (m_pEditor == nullptr) {
        return;
    }
    QLineEdit* pEditor = m_pEditor;
    const int nHit = m_nEditHit;
    const int nIndex = m_nEditIndex;
    m_pEditor = nullptr;
    m_nEditHit = HitNone;
    m_nEditIndex = -1;
    // Hiding the field takes its focus away, which would finish the edit a second time.
    pEditor->removeEventFilter(this);
    pEditor->disconnect(this);
    const QString text = pEditor->text();
    pEditor->hide();
    pEditor->deleteLater();
    if (!bCommit) {
        return;
    }
    if (nHit == HitItem && Item(nIndex) != nullptr &&
        Ask(&CXTOutBarCtrl::ItemRenamed, nIndex, text) && nIndex < GetItemCount()) {
        m_folders[m_nSelFolder].items[nIndex].text = text;
        ClampFirstItem();
    } else if (nHit == HitFolder && nIndex < GetFolderCount() &&
               Ask(&CXTOutBarCtrl::FolderRenamed, nIndex, text) && nIndex < GetFolderCount()) {
        m_folders[nIndex].text = text;
    }
    update();
}

bool CXTOutBarCtrl::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pEditor && pEvent->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape) {
        EndEdit(false);
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

}  // namespace quorrel

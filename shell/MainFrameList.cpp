// The list commands of the main frame: removing and selecting rows, the list's context menu,
// and the refusal of files dropped on the window.
#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include "list/QuorrelView.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "shell/MessageBox.h"

namespace quorrel {

void CMainFrame::OnRemoveSelected() {
    m_pView->DeleteSelectedItems();
}

void CMainFrame::OnRemoveAll() {
    if (CMessageBox::Show(this,
                          QStringLiteral("Do you realy want to remove all files from the list?"),
                          CMessageBox::YesNo) == CMessageBox::IdYes) {
        m_pView->DeleteAllItems();
    }
}

void CMainFrame::OnSelectAll() {
    m_pView->SelectAllItems();
}

void CMainFrame::OnContextMenu(const QPoint& globalPos, bool bFromKeyboard) {
    // From the keyboard there is no pointer to open at: a fixed spot near the frame's corner.
    const QPoint point = bFromKeyboard ? mapToGlobal(QPoint(5, 5)) : globalPos;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("contextMenu"));
    menu.installEventFilter(this);
    for (int nCommandId : kContextMenuCommands) {
        if (nCommandId == 0) {
            menu.addSeparator();
        } else {
            menu.addAction(Action(nCommandId));
        }
    }
    UpdateCommandUI();
    menu.exec(point);
    m_wndStatusBar->SetMessage(QString());
}

void CMainFrame::CreateContextMenuKey() {
    // The menu key reaches contextMenuEvent as a keyboard request on every desktop; Shift+F10
    // does so only where the system itself turns it into one.
    auto* pKey = new QAction(this);
    pKey->setObjectName(QStringLiteral("contextMenuKey"));
    pKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    connect(pKey, &QAction::triggered, this, [this] { OnContextMenu(QPoint(), true); });
    addAction(pKey);
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* pEvent) {
    // Every request that no child handled arrives here: the list's, and those of the panes
    // around it. They all get the list's menu, as the list's commands are the frame's.
    OnContextMenu(pEvent->globalPos(), pEvent->reason() == QContextMenuEvent::Keyboard);
    pEvent->accept();
}

QMenu* CMainFrame::createPopupMenu() {
    return nullptr;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (pEvent->mimeData()->hasUrls()) {
        pEvent->acceptProposedAction();
    }
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* pEvent) {
    if (pEvent->mimeData()->hasUrls()) {
        pEvent->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* pEvent) {
    // The drop is declined, so the program it came from neither moves nor deletes anything;
    // the explanation follows once the drag has ended, so that program is not kept waiting
    // while the message is open.
    pEvent->setDropAction(Qt::IgnoreAction);
    pEvent->ignore();
    QTimer::singleShot(0, this, &CMainFrame::OnDropFiles);
}

void CMainFrame::OnDropFiles() {
    CMessageBox::Show(
        this,
        QStringLiteral("Files can't be droped directly in the window. Just on a desktop icon."),
        CMessageBox::Ok);
}

}  // namespace quorrel

// The command set of the main frame: its actions, menus, toolbar and enabling rules, and the
// prompts its commands show in the status bar.
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

#include "list/QuorrelView.h"
#include "shell/Artwork.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "shell/OutputBar.h"
#include "toolkit/OutBarCtrl.h"
#include "toolkit/QtCompat.h"

namespace quorrel {

namespace {

// The keys that run a command wherever the focus is in the main window (accelerator table).
QKeySequence AcceleratorOf(int nCommandId) {
    switch (nCommandId) {
        case ID_ADD_FILES:
            return QKeySequence(Qt::Key_Insert);
        case ID_REMOVE_SELECTED:
            return QKeySequence(Qt::Key_Delete);
        case ID_REMOVE_ALL:
            return QKeySequence(Qt::CTRL | Qt::Key_Delete);
        case ID_HELP_FINDER:
            return QKeySequence(Qt::Key_F1);
        default:
            return {};
    }
}

bool IsViewToggle(int nCommandId) {
    return nCommandId == ID_VIEW_TOOLBAR || nCommandId == ID_VIEW_STATUS_BAR ||
           nCommandId == ID_VIEW_OUTPUT_BAR;
}

}  // namespace

QAction* CMainFrame::CreateCommand(int nCommandId) {
    const SCommandText* pText = FindCommandText(nCommandId);
    auto* pAction = new QAction(QString::fromUtf8(pText->pszMenuText), this);
    pAction->setObjectName(QString::fromLatin1(pText->pszObjectName));
    pAction->setStatusTip(QString::fromUtf8(pText->pszPrompt));
    if (*pText->pszTooltip != '\0') {
        pAction->setToolTip(QString::fromUtf8(pText->pszTooltip));
    }
    pAction->setIcon(CommandIcon(nCommandId));
    pAction->setShortcut(AcceleratorOf(nCommandId));
    // The menus stay as they are on every desktop: no item moves to an application menu.
    pAction->setMenuRole(QAction::NoRole);
    pAction->setCheckable(IsViewToggle(nCommandId));
    // Added to the frame itself so that its keys work while the toolbar is hidden.
    addAction(pAction);
    m_actions.insert(nCommandId, pAction);
    return pAction;
}

void CMainFrame::CreateCommands() {
    for (const SCommandText& text : kCommandTexts) {
        CreateCommand(text.nId);
    }
}

QAction* CMainFrame::Action(int nCommandId) const {
    return m_actions.value(nCommandId, nullptr);
}

QMenu* CMainFrame::AddMenu(const QString& title, const char* pszObjectName,
                           std::initializer_list<int> commands) {
    QMenu* pMenu = m_wndMenuBar->addMenu(title);
    pMenu->setObjectName(QString::fromLatin1(pszObjectName));
    for (int nCommandId : commands) {
        if (nCommandId == 0) {
            pMenu->addSeparator();
        } else {
            pMenu->addAction(Action(nCommandId));
        }
    }
    // A prompt belongs to the highlighted item: once the menu closes, the idle text returns.
    connect(pMenu, &QMenu::aboutToHide, this, [this] { m_wndStatusBar->SetMessage(QString()); });
    pMenu->installEventFilter(this);
    return pMenu;
}

void CMainFrame::CreateMenuBar() {
    // The menus sit in a bar of their own that the user moves like the toolbar, and whose
    // place the layout keeps. A menu bar lays its items out in a line only, so the bar stays
    // on the top or the bottom side.
    m_wndMenuBar = new QMenuBar(this);
    m_wndMenuBar->setObjectName(QStringLiteral("menuBar"));
    m_wndMenuBarHost = new QToolBar(QStringLiteral("Menu Bar"), this);
    m_wndMenuBarHost->setObjectName(QStringLiteral("menuBarHost"));
    m_wndMenuBarHost->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_wndMenuBarHost->addWidget(m_wndMenuBar);
    addToolBar(Qt::TopToolBarArea, m_wndMenuBarHost);
    // The toolbar starts in a row of its own under the menus.
    addToolBarBreak(Qt::TopToolBarArea);
    AddMenu(QStringLiteral("&File"), "fileMenu",
            {ID_ADD_FILES, ID_ADD_FOLDER, 0, ID_WIPE_SELECTED, ID_WIPE_ALL, 0, ID_WIPE_FOLDER,
             ID_WIPE_RECYCLE_BIN, ID_WIPE_FREE_SPACE, 0, ID_OPTIONS, 0, ID_APP_EXIT});
    AddMenu(QStringLiteral("&Edit"), "editMenu",
            {ID_REMOVE_SELECTED, ID_REMOVE_ALL, 0, ID_SELECT_ALL});
    QMenu* pView = AddMenu(
        QStringLiteral("&View"), "viewMenu",
        {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, 0, ID_VIEW_OUTPUT_BAR, 0, ID_VIEW_RESTORE_SIDEBAR});
    connect(pView, &QMenu::aboutToShow, this, &CMainFrame::UpdateViewChecks);
    AddMenu(QStringLiteral("&Help"), "helpMenu",
            {ID_HELP_FINDER, ID_TIP_OF_THE_DAY, 0, ID_APP_ABOUT});
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setIconSize(QSize(20, 20));
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int nCommandId : kToolbarCommands) {
        if (nCommandId == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* pAction = Action(nCommandId);
        m_wndToolBar->addAction(pAction);
        if (QWidget* pButton = m_wndToolBar->widgetForAction(pAction)) {
            pButton->setObjectName(pAction->objectName() + QStringLiteral("Button"));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::ConnectCommands() {
    connect(Action(ID_REMOVE_SELECTED), &QAction::triggered, this, &CMainFrame::OnRemoveSelected);
    connect(Action(ID_REMOVE_ALL), &QAction::triggered, this, &CMainFrame::OnRemoveAll);
    connect(Action(ID_SELECT_ALL), &QAction::triggered, this, &CMainFrame::OnSelectAll);
    connect(Action(ID_HELP_FINDER), &QAction::triggered, this, &CMainFrame::OnHelpFinder);
    connect(Action(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
    connect(Action(ID_VIEW_RESTORE_SIDEBAR), &QAction::triggered, this,
            &CMainFrame::OnRestoreOutBar);
    // Offered by the sidebar's own menu too, once the user has removed both its folders.
    m_wndOutBar->addAction(Action(ID_VIEW_RESTORE_SIDEBAR));
    for (int nCommandId : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_OUTPUT_BAR}) {
        connect(Action(nCommandId), &QAction::triggered, this,
                [this, nCommandId](bool bChecked) { OnViewBar(nCommandId, bChecked); });
    }
    connect(m_wndToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateViewChecks);
    connect(m_wndOutputBar, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateViewChecks);
    connect(m_pView, &CQuorrelView::ListChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::OnUpdateListHasSelection(QAction* pAction) {
    pAction->setEnabled(m_pView->GetSelectedCount() != 0);
}

void CMainFrame::OnUpdateListNotEmpty(QAction* pAction) {
    pAction->setEnabled(m_pView->GetItemCount() > 0);
}

void CMainFrame::UpdateCommandUI() {
    OnUpdateListHasSelection(Action(ID_WIPE_SELECTED));
    OnUpdateListHasSelection(Action(ID_REMOVE_SELECTED));
    OnUpdateListNotEmpty(Action(ID_WIPE_ALL));
    OnUpdateListNotEmpty(Action(ID_REMOVE_ALL));
}

void CMainFrame::UpdateViewChecks() {
    // "Would it show with the frame": right before the frame is first shown, too.
    Action(ID_VIEW_TOOLBAR)->setChecked(m_wndToolBar->isVisibleTo(this));
    Action(ID_VIEW_STATUS_BAR)->setChecked(m_wndStatusBar->isVisibleTo(this));
    Action(ID_VIEW_OUTPUT_BAR)->setChecked(m_wndOutputBar->isVisibleTo(this));
}

void CMainFrame::OnViewBar(int nCommandId, bool bShow) {
    QWidget* pBar = m_wndOutputBar;
    if (nCommandId == ID_VIEW_TOOLBAR) {
        pBar = m_wndToolBar;
    } else if (nCommandId == ID_VIEW_STATUS_BAR) {
        pBar = m_wndStatusBar;
    }
    pBar->setVisible(bShow);
    UpdateViewChecks();
}

bool CMainFrame::event(QEvent* pEvent) {
    // Prompts go to the message pane, never to the status bar's own message line, which would
    // cover the logo pane while it is shown.
    if (pEvent->type() == QEvent::StatusTip) {
        if (m_wndStatusBar != nullptr) {
            m_wndStatusBar->SetMessage(static_cast<QStatusTipEvent*>(pEvent)->tip());
        }
        return true;
    }
    return QMainWindow::event(pEvent);
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    // A menu highlights only the items it can run, and so sends no prompt for a greyed one;
    // the prompt still tells the user what the command would do. The menu handles the move
    // first (it clears the prompt of the item the pointer left), then the prompt is shown.
    auto* pMenu = qobject_cast<QMenu*>(pWatched);
    if (pMenu != nullptr && pEvent->type() == QEvent::MouseMove) {
        const QAction* pAction =
            pMenu->actionAt(EventPosition(static_cast<QMouseEvent*>(pEvent)).toPoint());
        if (pAction != nullptr && !pAction->isEnabled() && !pAction->isSeparator()) {
            static_cast<QObject*>(pMenu)->event(pEvent);
            m_wndStatusBar->SetMessage(pAction->statusTip());
            return true;
        }
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

}  // namespace quorrel

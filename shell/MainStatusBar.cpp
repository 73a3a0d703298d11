// The main frame's bars and status panes: the action log bar, the status bar with its logo,
// message, lock-key and progress panes, and the prompts shown in the message pane.
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

#include "IndicatorPane.h"
#include "LockKeys.h"
#include "LogoPane.h"
#include "MainFrame.h"
#include "OutputBar.h"

namespace quorrel {

namespace {

// The height the action log bar has on a first start, caption included.
constexpr int kOutputBarHeight = 150;
constexpr int kProgressPaneWidth = 150;
constexpr int kProgressMaximum = 5000;
// How often the lock keys' lights are looked at: quick enough to follow a key press.
constexpr int kLockPollMs = 250;

QString& LockLightsDir() {
    static QString dir = CLockKeyReader::DefaultLedsDir();
    return dir;
}

}  // namespace

bool CMainFrame::CreateOutputBar() {
    m_wndOutputBar = new COutputBar(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndOutputBar);
    resizeDocks({m_wndOutputBar}, {kOutputBarHeight}, Qt::Vertical);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("statusBar"));
    m_wndMessagePane = new QLabel(m_wndStatusBar);
    m_wndMessagePane->setObjectName(QStringLiteral("messagePane"));
    m_wndMessagePane->setTextFormat(Qt::PlainText);
    m_wndMessagePane->setContentsMargins(4, 0, 4, 0);
    // A long prompt must not widen the window: the pane takes what is left and cuts the rest.
    m_wndMessagePane->setMinimumWidth(1);
    m_wndMessagePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_wndStatusBar->addWidget(m_wndMessagePane, 1);
    setStatusBar(m_wndStatusBar);
    return true;
}

void CMainFrame::CreateLogoPane() {
    m_wndLogoPane = new CXTLogoPane(QStringLiteral("Quorrel"), m_wndStatusBar);
    m_wndLogoPane->setObjectName(QStringLiteral("logoPane"));
    m_wndStatusBar->insertWidget(0, m_wndLogoPane, 0);
}

void CMainFrame::SetLockLightsDir(const QString& dir) {
    LockLightsDir() = dir;
}

void CMainFrame::CreateLockIndicators() {
    m_pLockKeys = std::make_unique<CLockKeyReader>(LockLightsDir());
    const struct {
        ELockKey key;
        const char* pszText;
        const char* pszObjectName;
    } panes[] = {{ELockKey::Caps, "CAP", "capIndicator"},
                 {ELockKey::Num, "NUM", "numIndicator"},
                 {ELockKey::Scroll, "SCRL", "scrlIndicator"}};
    bool bAny = false;
    for (const auto& pane : panes) {
        // A key whose state cannot be read gets no pane: an indicator that never lights
        // would tell the user the key is off.
        if (!m_pLockKeys->CanRead(pane.key)) {
            continue;
        }
        auto* pIndicator = new CXTIndicatorPane(QLatin1String(pane.pszText), m_wndStatusBar);
        pIndicator->setObjectName(QLatin1String(pane.pszObjectName));
        m_wndStatusBar->addPermanentWidget(pIndicator);
        m_wndIndicators[static_cast<int>(pane.key)] = pIndicator;
        bAny = true;
    }
    if (bAny) {
        m_pLockTimer = new QTimer(this);
        m_pLockTimer->setObjectName(QStringLiteral("lockKeyTimer"));
        connect(m_pLockTimer, &QTimer::timeout, this, &CMainFrame::RefreshLockIndicators);
        m_pLockTimer->start(kLockPollMs);
        RefreshLockIndicators();
    }
}

void CMainFrame::RefreshLockIndicators() {
    for (ELockKey key : {ELockKey::Caps, ELockKey::Num, ELockKey::Scroll}) {
        CXTIndicatorPane* pPane = m_wndIndicators[static_cast<int>(key)];
        if (pPane != nullptr) {
            pPane->SetOn(m_pLockKeys->IsOn(key).value_or(false));
        }
    }
}

bool CMainFrame::CreateProgress() {
    m_wndProgress = new QProgressBar(m_wndStatusBar);
    m_wndProgress->setObjectName(QStringLiteral("progress"));
    m_wndProgress->setTextVisible(false);
    m_wndProgress->setFixedWidth(kProgressPaneWidth);
    m_wndProgress->setRange(0, kProgressMaximum);
    m_wndProgress->setValue(0);
    m_wndStatusBar->addPermanentWidget(m_wndProgress);
    return true;
}

QString CMainFrame::IdleMessage() {
    return QStringLiteral("For Help, press F1");
}

QString CMainFrame::StatusMessage() const {
    return m_wndMessagePane ? m_wndMessagePane->text() : QString();
}

void CMainFrame::SetStatusMessage(const QString& prompt) {
    if (m_wndMessagePane != nullptr) {
        m_wndMessagePane->setText(prompt.isEmpty() ? IdleMessage() : prompt);
    }
}

bool CMainFrame::event(QEvent* pEvent) {
    // Prompts go to the message pane, never to the status bar's own message line, which would
    // cover the logo pane while it is shown.
    if (pEvent->type() == QEvent::StatusTip) {
        SetStatusMessage(static_cast<QStatusTipEvent*>(pEvent)->tip());
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
            pMenu->actionAt(static_cast<QMouseEvent*>(pEvent)->position().toPoint());
        if (pAction != nullptr && !pAction->isEnabled() && !pAction->isSeparator()) {
            static_cast<QObject*>(pMenu)->event(pEvent);
            SetStatusMessage(pAction->statusTip());
            return true;
        }
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

}  // namespace quorrel

// The main frame: its creation, its client area (splitters, sidebar pane, caption band and
// list view) and its close. Commands, sidebar, drops, help and runs are in MainFrame*.cpp; the
// status bar, the placement and the bar layout are classes of their own.
#include "shell/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include "engine/runs/WipeEngine.h"
#include "list/QuorrelView.h"
#include "shell/AbortDlg.h"
#include "shell/Artwork.h"
#include "shell/BarLayout.h"
#include "shell/MainStatusBar.h"
#include "shell/OutputBar.h"
#include "shell/WindowRunHost.h"
#include "toolkit/Caption.h"

namespace quorrel {

namespace {

const char kTitle[] = "Quorrel";
const char kCaptionText[] = "Files and folders that will be permanently deleted";
constexpr int kCaptionHeight = 22;
constexpr int kCaptionFontHeight = 18;
// The height the action log bar has on a first start, caption included.
constexpr int kOutputBarHeight = 150;

// The size of a window opened for the first time: three quarters of the screen, as the
// desktop gives a new window that names no size of its own.
QSize DefaultFrameSize() {
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QSize available = pScreen ? pScreen->availableGeometry().size() : QSize(1024, 768);
    return {qMax(640, available.width() * 3 / 4), qMax(480, available.height() * 3 / 4)};
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QLatin1String(kTitle));
    setWindowIcon(AppIcon());
    // Files dropped on the window are caught so that they can be refused with an explanation.
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame() {
    // QWidget's destructor hides and deletes the bars after this part of the frame is gone;
    // what they signal on the way (a dock bar reports it was hidden) must not reach it.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* pChild : children) {
        disconnect(pChild, nullptr, this, nullptr);
    }
}

bool CMainFrame::Create() {
    if (m_pView != nullptr) {
        return true;  // created already: there is only one of each part
    }
    resize(DefaultFrameSize());
    if (!OnCreateClient()) {
        return false;
    }
    CreateCommands();
    CreateMenuBar();
    CreateToolBar();
    m_wndOutputBar = new COutputBar(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndOutputBar);
    resizeDocks({m_wndOutputBar}, {kOutputBarHeight}, Qt::Vertical);
    m_wndStatusBar = new CMainStatusBar(this);
    setStatusBar(m_wndStatusBar);
    m_placement.Load();
    m_pBarLayout = std::make_unique<CBarLayout>(CBarLayout::SBars{
        *this, *m_wndMenuBarHost, *m_wndToolBar, *m_wndOutputBar, *m_wndStatusBar});
    m_pBarLayout->Load();
    m_wndStatusBar->AddProgressPane();
    ConnectCommands();
    ConnectRunCommands();
    CreateContextMenuKey();
    UpdateCommandUI();
    UpdateViewChecks();
    return true;
}

bool CMainFrame::OnCreateClient() {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName(QStringLiteral("outerSplitter"));
    // The bar is dragged as an outline; the panes follow when the drag ends.
    m_wndSplitter->setOpaqueResize(false);

    // The sidebar's column: an empty, edged pane until the sidebar is put into it.
    auto* pOutBarPane = new QFrame(m_wndSplitter);
    pOutBarPane->setObjectName(QStringLiteral("outBarPane"));
    pOutBarPane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    pOutBarPane->setBackgroundRole(QPalette::Dark);
    pOutBarPane->setAutoFillBackground(true);
    pOutBarPane->setMinimumWidth(0);
    auto* pOutBarLayout = new QVBoxLayout(pOutBarPane);
    pOutBarLayout->setContentsMargins(0, 0, 0, 0);
    m_wndOutBarPane = pOutBarPane;
    if (!BuildOutBar()) {
        return false;
    }

    m_wndRightSplitter = new QSplitter(Qt::Vertical, m_wndSplitter);
    m_wndRightSplitter->setObjectName(QStringLiteral("rightSplitter"));
    m_wndRightSplitter->setOpaqueResize(false);
    m_wndRightSplitter->setChildrenCollapsible(false);
    CreateCaption();
    m_pView = new CQuorrelView(m_wndRightSplitter);
    if (m_pView->objectName().isEmpty()) {
        m_pView->setObjectName(QStringLiteral("listView"));
    }
    m_pView->setAccessibleName(QLatin1String(kCaptionText));
    // The caption row keeps its height: its bar cannot be dragged and draws nothing.
    m_wndRightSplitter->setHandleWidth(0);
    m_wndRightSplitter->handle(1)->setEnabled(false);
    m_wndRightSplitter->setStretchFactor(0, 0);
    m_wndRightSplitter->setStretchFactor(1, 1);

    // The sidebar keeps its width when the window is resized; the list takes the change.
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    m_nOutBarIdealWidth = width() / 7;
    setCentralWidget(m_wndSplitter);
    // The list is the active view: it has the keyboard when the window opens.
    m_pView->setFocus();
    return true;
}

void CMainFrame::CreateCaption() {
    m_wndCaption = new CXTCaption(QLatin1String(kCaptionText), m_wndRightSplitter);
    m_wndCaption->setObjectName(QStringLiteral("caption"));
    const QPalette& pal = m_wndCaption->palette();
    m_wndCaption->SetCaptionColors(pal.color(QPalette::Button), pal.color(QPalette::Dark),
                                   pal.color(QPalette::Base));
    m_wndCaption->setFont(CaptionFont(QApplication::font(), kCaptionFontHeight));
    m_wndCaption->SetIcon(AppIcon());
    m_wndCaption->setFixedHeight(kCaptionHeight);
}

void CMainFrame::showEvent(QShowEvent* pEvent) {
    QMainWindow::showEvent(pEvent);
    // Only now has the splitter its real width; before, the column would be squeezed into the
    // placeholder size of a window that was never laid out.
    if (m_nOutBarIdealWidth >= 0 && m_wndSplitter != nullptr) {
        const int nTotal = m_wndSplitter->width();
        m_wndSplitter->setSizes({m_nOutBarIdealWidth, qMax(0, nTotal - m_nOutBarIdealWidth)});
        m_nOutBarIdealWidth = -1;
    }
}

void CMainFrame::changeEvent(QEvent* pEvent) {
    QMainWindow::changeEvent(pEvent);
    // The title is the program's name at all times; a document name never joins it.
    if (pEvent->type() == QEvent::WindowTitleChange && windowTitle() != QLatin1String(kTitle)) {
        setWindowTitle(QLatin1String(kTitle));
    }
}

CQuorrelView* CMainFrame::GetActiveView() const {
    return m_pView;
}

COutputBar& CMainFrame::OutputBar() const {
    return *m_wndOutputBar;
}

QProgressBar& CMainFrame::Progress() const {
    return m_wndStatusBar->Progress();
}

QString CMainFrame::StatusMessage() const {
    return m_wndStatusBar ? m_wndStatusBar->Message() : QString();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    if (m_pView != nullptr) {
        m_pBarLayout->Save();
        m_placement.Save();
    }
    QMainWindow::closeEvent(pEvent);
}

}  // namespace quorrel

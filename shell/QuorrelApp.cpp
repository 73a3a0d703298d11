#include "shell/QuorrelApp.h"

#include "list/QuorrelDoc.h"
#include "list/QuorrelView.h"
#include "list/StartupPaths.h"
#include "platform/Settings.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OptionsDlg.h"
#include "toolkit/TipOfTheDay.h"

#include <QAction>
#include <QCoreApplication>
#include <QSettings>

namespace quorrel {

namespace {

CQuorrelApp* g_pApp = nullptr;

// The fixed name the one document is opened under. It names no file and is never shown.
const char kDocumentName[] = "E kako ne...";

// The switch `token` names, without its "-"; empty when it is no switch. "/" begins a path
// on this system, so only "-" starts a switch here.
QByteArray SwitchOf(const QByteArray& token) {
    if (token.size() < 2 || token[0] != '-') {
        return QByteArray();
    }
    return token.mid(1).toLower();
}

// One line for the terminal: why a shell command ends start-up.
QString RefusalOf(const SCommandLineInfo& info) {
    const QString name = QString::fromLocal8Bit(info.shellSwitch);
    switch (info.nShellCommand) {
        case SCommandLineInfo::FilePrint:
        case SCommandLineInfo::FilePrintTo:
            return QStringLiteral("%1: the list cannot be printed; nothing started").arg(name);
        case SCommandLineInfo::FileDDE:
            return QStringLiteral("%1: DDE is not available on this system; nothing started")
                .arg(name);
        case SCommandLineInfo::AppUnregister:
            return QStringLiteral("%1: the program has no registration to remove; nothing started")
                .arg(name);
        case SCommandLineInfo::FileNothing:
            break;
    }
    return QString();
}

}  // namespace

void SCommandLineInfo::ParseCommandLine(const QList<QByteArray>& tokens) {
    for (const QByteArray& token : tokens) {
        const QByteArray name = SwitchOf(token);
        EShellCommand nCommand = FileNothing;
        if (name == "p") {
            nCommand = FilePrint;
        } else if (name == "pt") {
            nCommand = FilePrintTo;
        } else if (name == "dde") {
            nCommand = FileDDE;
        } else if (name == "unregister" || name == "unregserver") {
            nCommand = AppUnregister;
        } else if (name == "embedding") {
            bRunEmbedded = true;
            bShowSplash = false;
        } else if (name == "automation") {
            bRunAutomated = true;
            bShowSplash = false;
        }
        if (nCommand != FileNothing) {
            nShellCommand = nCommand;
            shellSwitch = token;
        }
    }
}

CQuorrelApp::CQuorrelApp(const QList<QByteArray>& tokens, QObject* pParent)
    : QObject(pParent), m_tokens(tokens) {
    g_pApp = this;
}

CQuorrelApp::~CQuorrelApp() {
    // A window still open when the program ends is closed as the user would close it, so it
    // keeps its layout for the next start; then it goes, before the document it shows.
    if (m_pFrame != nullptr && m_pFrame->isVisible()) {
        m_pFrame->close();
    }
    delete m_pFrame.data();
    m_pDoc.reset();
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

CQuorrelApp* CQuorrelApp::Instance() {
    return g_pApp;
}

bool CQuorrelApp::InitInstance() {
    m_failureReason.clear();
    // The profile's place: every settings object of the program (window layout, tips, the
    // method) lives under the maker's name and the program's.
    QCoreApplication::setOrganizationName(QLatin1String(kSettingsOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kSettingsApplication));

    SCommandLineInfo info;
    info.ParseCommandLine(m_tokens);
    if (!ProcessShellCommand(info)) {
        return false;
    }
    if (!OpenDocumentFile(QString::fromUtf8(kDocumentName))) {
        return false;
    }
    m_pFrame->show();
    ShowTipAtStartup();
    LoadSettings();
    return true;
}

QString CQuorrelApp::FailureReason() const {
    return m_failureReason;
}

bool CQuorrelApp::ProcessShellCommand(const SCommandLineInfo& info) {
    // Paths are never opened as documents (they go into the list), so the only shell
    // commands are the print, DDE and unregister switches, and none of them can be carried
    // out here.
    if (info.nShellCommand == SCommandLineInfo::FileNothing) {
        return true;
    }
    m_failureReason = RefusalOf(info);
    return false;
}

bool CQuorrelApp::OpenDocumentFile(const QString& pathName) {
    m_pDoc = std::make_unique<CQuorrelDoc>();
    auto* pFrame = new CMainFrame;
    if (!pFrame->Create() || pFrame->GetActiveView() == nullptr) {
        delete pFrame;
        m_pDoc.reset();
        m_failureReason = QStringLiteral("the main window could not be created");
        return false;
    }
    m_pFrame = pFrame;
    if (QAction* pOptions = m_pFrame->Action(ID_OPTIONS)) {
        connect(pOptions, &QAction::triggered, this, &CQuorrelApp::OnOptions);
    }
    ConnectHelpDialogs();
    m_pDoc->OnOpenDocument(pathName);
    // The view's initial update: the paths given at start-up go into the list before the
    // window is first shown.
    AddStartupPaths(*m_pFrame->GetActiveView(), m_tokens);
    return true;
}

void CQuorrelApp::ShowTipAtStartup() {
    SCommandLineInfo info;
    info.ParseCommandLine(m_tokens);
    m_bShowTipAtStartup = info.bShowSplash;
    if (!m_bShowTipAtStartup) {
        return;
    }
    CXTTipOfTheDay dlg(TipsFileName(), m_pFrame);
    if (dlg.m_bStartup) {
        RunModal(dlg);
    }
}

bool CQuorrelApp::ShouldShowTipAtStartup() const {
    return m_bShowTipAtStartup;
}

void CQuorrelApp::LoadSettings() {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    LoadWipeMethod(*pProfile, WipeMethod());
}

void CQuorrelApp::OnOptions() {
    COptionsDlg dlg(m_pFrame);
    if (dlg.exec() != QDialog::Accepted) {
        return;
    }
    // The dialog has already put the choice into WipeMethod(): it holds for every later run
    // even when it cannot be kept for the next start.
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    if (!SaveWipeMethod(*pProfile, WipeMethod())) {
        CMessageBox::Show(m_pFrame, QStringLiteral("Faild to save options"), CMessageBox::Ok);
    }
}

CMainFrame* CQuorrelApp::MainFrame() const {
    return m_pFrame;
}

CQuorrelDoc* CQuorrelApp::Document() const {
    return m_pDoc.get();
}

}  // namespace quorrel

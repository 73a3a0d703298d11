// The application's two small dialogs: the About box and the tip of the day.
#include "shell/AboutDlg.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/QuorrelApp.h"
#include "toolkit/TipOfTheDay.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorrel {

namespace {

CQuorrelApp::DialogRunner& Runner() {
    static CQuorrelApp::DialogRunner runner;
    return runner;
}

}  // namespace

void CQuorrelApp::SetDialogRunner(DialogRunner runner) {
    Runner() = std::move(runner);
}

int CQuorrelApp::RunModal(QDialog& dialog) {
    return Runner() ? Runner()(dialog) : dialog.exec();
}

QString CQuorrelApp::TipsFileName() {
    // The current folder comes first, as it always has; a program started from a launcher
    // or a terminal elsewhere still finds the tips that ship with it.
    if (QFileInfo(QStringLiteral("tips.txt")).isFile()) {
        return QString();
    }
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {programDir + QStringLiteral("/tips.txt"),
                                    programDir + QStringLiteral("/../share/quorrel/tips.txt")};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
        }
    }
    return QString();
}

void CQuorrelApp::ConnectHelpDialogs() {
    CXTTipOfTheDay::SetMessageHandler([](QWidget* pParent, const QString& text) {
        CMessageBox::Show(pParent, text, CMessageBox::Ok);
    });
    if (QAction* pAbout = m_pFrame->Action(ID_APP_ABOUT)) {
        connect(pAbout, &QAction::triggered, this, &CQuorrelApp::OnAppAbout);
    }
    if (QAction* pTip = m_pFrame->Action(ID_TIP_OF_THE_DAY)) {
        connect(pTip, &QAction::triggered, this, &CQuorrelApp::OnTipOfTheDay);
    }
}

void CQuorrelApp::OnAppAbout() {
    // Parented to the main window so that it opens centred over it.
    CAboutDlg dlg(m_pFrame);
    RunModal(dlg);
}

void CQuorrelApp::OnTipOfTheDay() {
    CXTTipOfTheDay dlg(TipsFileName(), m_pFrame);
    RunModal(dlg);
}

}  // namespace quorrel

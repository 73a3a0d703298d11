// The help: the HTML help that ships with the program, opened in the desktop's browser.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "toolkit/HyperLink.h"

namespace quorrel {

QString CMainFrame::HelpFilePath() {
    // Installed: below the program's folder on Windows, in share/ beside bin/ elsewhere.
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        programDir + QStringLiteral("/help/index.html"),
        programDir + QStringLiteral("/../share/quorrel/help/index.html"),
        QStringLiteral(QUORREL_HELP_SOURCE_DIR "/index.html")};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
        }
    }
    return {};
}

void CMainFrame::SetUrlOpener(UrlOpener opener) {
    CXTHyperLink::SetUrlOpener(std::move(opener));
}

void CMainFrame::OnHelpFinder() {
    const QString path = HelpFilePath();
    if (path.isEmpty()) {
        CMessageBox::Show(this,
                          QStringLiteral("The help of Quorrel is not installed: the file "
                                         "share/quorrel/help/index.html was not found."),
                          CMessageBox::Ok);
        return;
    }
    if (!CXTHyperLink::OpenUrl(QUrl::fromLocalFile(path))) {
        CMessageBox::Show(this,
                          QStringLiteral("The help could not be opened: no web browser took ") +
                              QDir::toNativeSeparators(path) + QStringLiteral("."),
                          CMessageBox::Ok);
    }
}

}  // namespace quorrel

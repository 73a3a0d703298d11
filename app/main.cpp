// The window program: hands the process's arguments, untouched, to the application object.
#include "list/StartupPaths.h"
#include "shell/Artwork.h"
#include "shell/QuorrelApp.h"
#include "toolkit/QtCompat.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

#include <cstdio>

int main(int argc, char** argv) {
    // Every argument after the program's path is a path for the list, byte for byte. They are
    // taken before the toolkit is made: it would take and act on any argument that looks like
    // one of its own options ("-style", "--platform"...).
    const QList<QByteArray> tokens = quorrel::ArgvTokens(argc, argv);

    // The toolkit sees the program's own path only; its settings still come through the
    // environment (QT_QPA_PLATFORM, QT_SCALE_FACTOR...).
    static char programName[] = "quorrel";
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : programName, nullptr};
    quorrel::ScaleToScreenDensity();
    QApplication application(toolkitArgc, toolkitArgv);
    QApplication::setWindowIcon(quorrel::AppIcon());
    // Lets the desktop match the window with the desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("quorrel"));

    quorrel::CQuorrelApp app(tokens);
    if (!app.InitInstance()) {
        std::fprintf(stderr, "quorrel: %s\n", qUtf8Printable(app.FailureReason()));
        return 1;
    }
    return application.exec();
}

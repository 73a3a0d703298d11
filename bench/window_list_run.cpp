// WIPE All in the window against quorrel-shred over the same files: for each count, a folder
// of that many empty files is made, quorrel-shred shreds them given as paths (a list run), the
// files are made again, and the real main window (offscreen) shreds them with WIPE All, the
// list holding one row per file. It prints both times and their ratio per count.
//
//     build/bench/bench_window_list_run [-d DIR] [--counts 10000,100000] [--shred PATH]
//
// Target: the window within 1.3 times quorrel-shred at 100,000 files. It prints figures and
// exits 0 (2 on a set-up failure, 1 when a run left files behind).
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "list/QuorrelView.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"

namespace {

struct SOptions {
    QString folder;
    std::vector<int> counts{10000, 100000};
    QString shred;
};

bool ParseOptions(int argc, char** argv, SOptions& options) {
    const char* pszTmp = std::getenv("TMPDIR");
    options.folder = pszTmp != nullptr && *pszTmp != '\0' ? pszTmp : "/tmp";
    options.shred = QCoreApplication::applicationDirPath() + "/../cli/quorrel-shred";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "-d") {
            options.folder = argv[i + 1];
        } else if (arg == "--shred") {
            options.shred = argv[i + 1];
        } else if (arg == "--counts") {
            options.counts.clear();
            for (const QString& count : QString(argv[i + 1]).split(',')) {
                options.counts.push_back(count.toInt());
            }
        } else {
            return false;
        }
    }
    return (argc % 2) == 1;
}

// `nCount` empty files f0000000 ... in `folder`; their names in order.
QStringList MakeFiles(const QString& folder, int nCount) {
    QStringList names;
    for (int k = 0; k < nCount; ++k) {
        const QString name = QString("f%1").arg(k, 7, 10, QChar('0'));
        const QByteArray path = QFile::encodeName(folder + '/' + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || ::close(fd) != 0) {
            return {};
        }
        names.append(name);
    }
    return names;
}

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// quorrel-shred over the files given as names relative to the folder (short arguments).
double RunShred(const SOptions& options, const QString& folder, const QStringList& names) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(options.shred, QStringList{"--yes", "--method", "0", "--"} + names);
    process.waitForFinished(-1);
    return process.exitCode() == 0 ? Seconds(timer) : -1.0;
}

// WIPE All in the window with one row per file; the rows are added before the clock starts.
double RunWindow(const QString& folder, const QStringList& names) {
    quorrel::CMainFrame frame;
    if (!frame.Create()) {
        return -1.0;
    }
    frame.show();
    quorrel::CQuorrelView& view = *frame.GetActiveView();
    for (const QString& name : names) {
        view.AddEntry(QFile::encodeName(folder + '/' + name), quorrel::ItemKind::File);
    }
    QApplication::processEvents();
    quorrel::CMessageBox::SetNextAnswer(quorrel::CMessageBox::IdYes);
    QElapsedTimer timer;
    timer.start();
    frame.Action(quorrel::ID_WIPE_ALL)->trigger();
    QApplication::processEvents();  // the view shows the emptied list
    const double fSeconds = Seconds(timer);
    return view.GetItemCount() == 0 ? fSeconds : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir profile;  // never the user's settings
    if (!profile.isValid()) {
        return 2;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.path()));
    QApplication app(argc, argv);
    SOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_window_list_run [-d DIR] [--counts N,N...] [--shred PATH]\n");
        return 2;
    }
    QTemporaryDir scratch(options.folder + "/quorrel-window-list-XXXXXX");
    if (!scratch.isValid() || !QFileInfo(options.shred).isExecutable()) {
        std::fprintf(stderr, "window_list_run: no scratch folder or no %s\n",
                     qPrintable(options.shred));
        return 2;
    }
    quorrel::CMessageBox::SetRefuseUnanswered(true);
    quorrel::WipeMethod() = 0;
    std::printf("window_list_run: quorrel-shred %s, files in %s\n", qPrintable(options.shred),
                qPrintable(scratch.path()));
    int nStatus = 0;
    for (const int nCount : options.counts) {
        const QStringList names = MakeFiles(scratch.path(), nCount);
        const double fShred = names.isEmpty() ? -1.0 : RunShred(options, scratch.path(), names);
        const bool bShredClean = QDir(scratch.path()).isEmpty();
        const QStringList again = MakeFiles(scratch.path(), nCount);
        const double fWindow = again.isEmpty() ? -1.0 : RunWindow(scratch.path(), again);
        const bool bWindowClean = QDir(scratch.path()).isEmpty();
        if (fShred < 0 || fWindow < 0 || !bShredClean || !bWindowClean) {
            std::printf("window_list_run: %d files: a run failed or left files behind\n", nCount);
            QDir(scratch.path()).removeRecursively();
            QDir().mkpath(scratch.path());
            nStatus = 1;
            continue;
        }
        std::printf(
            "window_list_run: %6d files: quorrel-shred %.2f s, window WIPE All %.2f s, "
            "ratio window/quorrel-shred %.2f%s\n",
            nCount, fShred, fWindow, fWindow / fShred,
            nCount >= 100000
                ? (fWindow / fShred <= 1.3 ? " (target <= 1.3 met)" : " (target <= 1.3 missed)")
                : "");
        std::fflush(stdout);
    }
    return nStatus;
}

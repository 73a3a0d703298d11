// The many-small-files half of bench_window_responsiveness: WIPE All over N files of S bytes in
// the real window against quorrel-shred over the same files in the same run, and how the window
// keeps up meanwhile (longest gap between handled events, Cancel to the end of a run).
#include "bench/window_many_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "list/QuorrelView.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"

namespace quorrel_bench {

namespace {

double Ms(qint64 nNanoseconds) {
    return static_cast<double>(nNanoseconds) / 1e6;
}

// Makes `nFiles` files of `nBytes` bytes each in a new folder under `base`; their paths, empty
// on failure. Everything is synced, so that each side pays for its own writes only.
std::vector<QByteArray> MakeFiles(const QByteArray& folder, int nFiles, int nBytes) {
    if (!QDir().mkpath(QFile::decodeName(folder))) {
        return {};
    }
    const std::vector<char> data(static_cast<std::size_t>(nBytes), 'x');
    std::vector<QByteArray> paths;
    for (int i = 0; i < nFiles; ++i) {
        QByteArray path = folder + "/f" + QByteArray::number(i);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const bool bOk =
            fd >= 0 && ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
        if (fd < 0 || ::close(fd) != 0 || !bOk) {
            return {};
        }
        paths.push_back(path);
    }
    ::sync();
    return paths;
}

int CountLeft(const std::vector<QByteArray>& paths) {
    return static_cast<int>(std::count_if(paths.begin(), paths.end(), [](const QByteArray& p) {
        return ::access(p.constData(), F_OK) == 0;
    }));
}

// quorrel-shred --method 0 --yes over `paths`, its output thrown away; milliseconds, or -1
// when it could not run or did not destroy everything.
double TerminalRun(const QString& shred, const std::vector<QByteArray>& paths) {
    QStringList args = {QStringLiteral("--method"), QStringLiteral("0"), QStringLiteral("--yes"),
                        QStringLiteral("--")};
    for (const QByteArray& path : paths) {
        args.append(QFile::decodeName(path));
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(shred, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return -1.0;
    }
    return Ms(clock.nsecsElapsed());
}

// What one window run looked like.
struct SWindowRun {
    double fRunMs = 0;
    double fLongestGapMs = 0;
    double fCancelToEndMs = -1;  // -1: no Cancel asked for, or the run ended first
    int nLeft = 0;
};

// WIPE All over `paths` in `frame`; with `nCancelAfterMs` > 0 the Cancel button is clicked that
// long into the run (the click reaches the window only through the run's own event checks).
SWindowRun WindowRun(quorrel::CMainFrame& frame, const std::vector<QByteArray>& paths,
                     int nCancelAfterMs) {
    quorrel::CQuorrelView& view = *frame.GetActiveView();
    for (const QByteArray& path : paths) {
        view.AddEntry(path, quorrel::ItemKind::File);
    }
    QApplication::processEvents();
    QElapsedTimer clock;
    std::vector<qint64> ticks;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed()); });
    qint64 nClicked = -1;
    QObject context;
    if (nCancelAfterMs > 0) {
        auto* pCancel =
            frame.AbortDialog().findChild<QPushButton*>(QStringLiteral("abortCancelButton"));
        QTimer::singleShot(nCancelAfterMs, Qt::PreciseTimer, &context, [&, pCancel] {
            nClicked = clock.nsecsElapsed();
            pCancel->click();
        });
    }
    quorrel::CMessageBox::SetNextAnswer(quorrel::CMessageBox::IdYes);
    clock.start();
    ticker.start(10);
    frame.Action(quorrel::ID_WIPE_ALL)->trigger();
    const qint64 nEnd = clock.nsecsElapsed();
    ticker.stop();

    SWindowRun run;
    run.fRunMs = Ms(nEnd);
    ticks.insert(ticks.begin(), 0);
    ticks.push_back(nEnd);
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        run.fLongestGapMs = std::max(run.fLongestGapMs, Ms(ticks[i] - ticks[i - 1]));
    }
    run.fCancelToEndMs = nClicked >= 0 ? Ms(nEnd - nClicked) : -1.0;
    run.nLeft = CountLeft(paths);
    if (view.GetItemCount() > 0) {  // rows of an aborted run
        quorrel::CMessageBox::SetNextAnswer(quorrel::CMessageBox::IdYes);
        frame.OnRemoveAll();
    }
    return run;
}

}  // namespace

int RunManyFiles(const SManyFilesOptions& options) {
    const QByteArray base = QFile::encodeName(QString::fromStdString(options.folder)) +
                            "/quorrel-window-files-" + QByteArray::number(::getpid());
    std::printf("window_responsiveness: %d files of %d bytes under %s\n", options.nFiles,
                options.nBytes, base.constData());
    std::vector<QByteArray> paths = MakeFiles(base + "/terminal", options.nFiles, options.nBytes);
    const double fTerminalMs = paths.empty() ? -1.0 : TerminalRun(options.shred, paths);
    if (fTerminalMs < 0) {
        std::fprintf(stderr, "window_responsiveness: quorrel-shred (%s) did not run cleanly\n",
                     qPrintable(options.shred));
        QDir(QFile::decodeName(base)).removeRecursively();
        return 2;
    }

    quorrel::CMessageBox::SetRefuseUnanswered(true);
    quorrel::WipeMethod() = 0;
    quorrel::CMainFrame frame;
    if (!frame.Create()) {
        return 2;
    }
    frame.show();
    paths = MakeFiles(base + "/window", options.nFiles, options.nBytes);
    const SWindowRun whole = WindowRun(frame, paths, 0);
    paths = MakeFiles(base + "/cancel", options.nFiles, options.nBytes);
    const int nCancelAt = std::max(50, static_cast<int>(whole.fRunMs / 3));
    const SWindowRun cancelled = WindowRun(frame, paths, nCancelAt);
    QDir(QFile::decodeName(base)).removeRecursively();

    std::printf("window_responsiveness: quorrel-shred --method 0: %.0f ms\n", fTerminalMs);
    std::printf("window_responsiveness: window, WIPE All:        %.0f ms (%d left)\n", whole.fRunMs,
                whole.nLeft);
    const double fRatio = whole.fRunMs / fTerminalMs;
    std::printf("window_responsiveness: (c) window / terminal = %.2f; target at most 1.2: %s\n",
                fRatio, fRatio <= 1.2 ? "met" : "missed");
    std::printf(
        "window_responsiveness: (a) longest gap between two handled events %.1f ms; target "
        "under 100 ms: %s\n",
        whole.fLongestGapMs, whole.fLongestGapMs < 100.0 ? "met" : "missed");
    if (cancelled.fCancelToEndMs < 0) {
        std::printf("window_responsiveness: (b) the run ended before the Cancel click\n");
    } else {
        std::printf(
            "window_responsiveness: (b) Cancel at %d ms: %.1f ms to the end of the run (%d "
            "files left); target under 100 ms: %s\n",
            nCancelAt, cancelled.fCancelToEndMs, cancelled.nLeft,
            cancelled.fCancelToEndMs < 100.0 ? "met" : "missed");
    }
    return 0;
}

}  // namespace quorrel_bench

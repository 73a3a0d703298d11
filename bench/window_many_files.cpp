// The many-small-files half of bench_window_responsiveness: WIPE All over N files of S bytes in
// the real window against quorrel-shred over the same files in the same run, and how the window
// keeps up meanwhile (longest gap between handled events, Cancel to the end of a run).
#include "bench/window_many_files.h"

#include <fcntl.h>
#include <sys/resource.h>
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

// The processor time had so far, in milliseconds: RUSAGE_THREAD (the calling thread),
// RUSAGE_SELF (every thread of this process) or RUSAGE_CHILDREN (the children waited for).
double CpuMs(int nWho) {
    struct rusage usage {};
    ::getrusage(nWho, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
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

// quorrel-shred --method 0 --yes over the files of `folder`, named relative to it (so that
// 100,000 names fit on a command line), its output thrown away; milliseconds, or -1 when it
// could not run or did not destroy everything.
double TerminalRun(const QString& shred, const QByteArray& folder, int nFiles, double& fCpuMs) {
    QStringList args = {QStringLiteral("--method"), QStringLiteral("0"), QStringLiteral("--yes"),
                        QStringLiteral("--")};
    for (int i = 0; i < nFiles; ++i) {
        args.append(QStringLiteral("f") + QString::number(i));
    }
    QProcess process;
    process.setWorkingDirectory(QFile::decodeName(folder));
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const double fCpuBefore = CpuMs(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    process.start(shred, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return -1.0;
    }
    const double fMs = Ms(clock.nsecsElapsed());
    fCpuMs = CpuMs(RUSAGE_CHILDREN) - fCpuBefore;
    return fMs;
}

// The load average over 1, 5 and 15 minutes, as /proc/loadavg has it.
QByteArray LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return "?";
    }
    const QList<QByteArray> parts = file.readAll().split(' ');
    return parts.size() >= 3 ? parts[0] + ' ' + parts[1] + ' ' + parts[2] : QByteArray("?");
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// What one window run looked like.
struct SWindowRun {
    double fRunMs = 0;
    double fGuiCpuMs = 0;  // processor time of the window's thread during the run
    double fCpuMs = 0;     // of all the program's threads
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
    const double fGuiBefore = CpuMs(RUSAGE_THREAD);
    const double fCpuBefore = CpuMs(RUSAGE_SELF);
    clock.start();
    ticker.start(10);
    frame.Action(quorrel::ID_WIPE_ALL)->trigger();
    const qint64 nEnd = clock.nsecsElapsed();
    ticker.stop();

    SWindowRun run;
    run.fRunMs = Ms(nEnd);
    run.fGuiCpuMs = CpuMs(RUSAGE_THREAD) - fGuiBefore;
    run.fCpuMs = CpuMs(RUSAGE_SELF) - fCpuBefore;
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

// One round: the terminal and the window on a fresh set each, the terminal first when
// `bTerminalFirst`; false when a run failed (said on stderr).
bool RunRound(const SManyFilesOptions& options, quorrel::CMainFrame& frame, const QByteArray& base,
              bool bTerminalFirst, double& fTerminalMs, double& fTerminalCpuMs,
              SWindowRun& window) {
    for (int nStep = 0; nStep < 2; ++nStep) {
        const bool bTerminal = (nStep == 0) == bTerminalFirst;
        const QByteArray folder = base + (bTerminal ? "/terminal" : "/window");
        const std::vector<QByteArray> paths = MakeFiles(folder, options.nFiles, options.nBytes);
        if (paths.empty()) {
            std::fprintf(stderr, "window_responsiveness: cannot make the files in %s\n",
                         folder.constData());
            return false;
        }
        if (bTerminal) {
            fTerminalMs = TerminalRun(options.shred, folder, options.nFiles, fTerminalCpuMs);
            if (fTerminalMs < 0) {
                std::fprintf(stderr,
                             "window_responsiveness: quorrel-shred (%s) did not run cleanly\n",
                             qPrintable(options.shred));
                return false;
            }
        } else {
            window = WindowRun(frame, paths, 0);
        }
        QDir(QFile::decodeName(folder)).removeRecursively();
    }
    return true;
}

}  // namespace

int RunManyFiles(const SManyFilesOptions& options) {
    const QByteArray base = QFile::encodeName(QString::fromStdString(options.folder)) +
                            "/quorrel-window-files-" + QByteArray::number(::getpid());
    std::printf("window_responsiveness: %d files of %d bytes under %s, %d round(s), load %s\n",
                options.nFiles, options.nBytes, base.constData(), options.nRounds,
                LoadAverage().constData());
    std::fflush(stdout);

    quorrel::CMessageBox::SetRefuseUnanswered(true);
    quorrel::WipeMethod() = 0;
    quorrel::CMainFrame frame;
    if (!frame.Create()) {
        return 2;
    }
    frame.show();
    std::vector<double> ratios;
    std::vector<double> windowMs;
    double fLongestGapMs = 0;
    for (int nRound = 0; nRound < options.nRounds; ++nRound) {
        double fTerminalMs = 0;
        double fTerminalCpuMs = 0;
        SWindowRun whole;
        if (!RunRound(options, frame, base, nRound % 2 == 0, fTerminalMs, fTerminalCpuMs, whole)) {
            QDir(QFile::decodeName(base)).removeRecursively();
            return 2;
        }
        ratios.push_back(whole.fRunMs / fTerminalMs);
        windowMs.push_back(whole.fRunMs);
        fLongestGapMs = std::max(fLongestGapMs, whole.fLongestGapMs);
        std::printf(
            "window_responsiveness: round %d: terminal %.0f ms (processor %.0f ms), window %.0f "
            "ms (%d left; processor %.0f ms, of which its own thread %.0f ms), window / "
            "terminal %.2f, load %s\n",
            nRound + 1, fTerminalMs, fTerminalCpuMs, whole.fRunMs, whole.nLeft, whole.fCpuMs,
            whole.fGuiCpuMs, ratios.back(), LoadAverage().constData());
        std::fflush(stdout);
    }
    const std::vector<QByteArray> paths =
        MakeFiles(base + "/cancel", options.nFiles, options.nBytes);
    const int nCancelAt = std::max(50, static_cast<int>(Median(windowMs) / 3));
    const SWindowRun cancelled = WindowRun(frame, paths, nCancelAt);
    QDir(QFile::decodeName(base)).removeRecursively();

    const double fRatio = Median(ratios);
    std::printf(
        "window_responsiveness: (c) window / terminal = %.2f (median of %d rounds); target at "
        "most 1.2: %s\n",
        fRatio, options.nRounds, fRatio <= 1.2 ? "met" : "missed");
    std::printf(
        "window_responsiveness: (a) longest gap between two handled events %.1f ms; target "
        "under 100 ms: %s\n",
        fLongestGapMs, fLongestGapMs < 100.0 ? "met" : "missed");
    if (cancelled.fCancelToEndMs < 0) {
        std::printf("window_responsiveness: (b) the run ended before the Cancel click\n");
    } else {
        std::printf(
            "window_responsiveness: (b) Cancel at %d ms: %.1f ms to the end of the run (%d "
            "files left); target under 100 ms: %s\n",
            nCancelAt, cancelled.fCancelToEndMs, cancelled.nLeft,
            cancelled.fCancelToEndMs < 100.0 ? "met" : "missed");
    }
    std::printf("window_responsiveness: load %s at the end\n", LoadAverage().constData());
    return 0;
}

}  // namespace quorrel_bench

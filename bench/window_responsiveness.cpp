// How the window keeps up while it shreds. Two set-ups, each in the real main window (offscreen
// unless told otherwise):
//
// One large file (the default): puts one large real file in the list, answers the question and
// starts WIPE Selected under method 1 (three passes). During the run a 10 ms timer records when
// events are handled; a Cancel click is posted half way through the second pass (or at a given
// time into the run), so that it reaches the window only through the run's own event checks. It
// prints
//   (a) the longest gap between two handled events during the run, and
//   (b) the time from the Cancel click to the end of the run.
// Targets: both under 100 ms.
//
// Many small files (--files N): N files of --size bytes, shredded once by quorrel-shred
// --method 0 and once by the window's WIPE All, in the same run; it prints
//   (c) the window's time over the terminal's (target: at most 1.2),
// and (a) and (b) for the window's run over such files.
//
// It prints figures and exits 0 (2 on a set-up failure).
//
//     build/bench/bench_window_responsiveness [-d DIR] [--mib N] [--cancel-after MS]
//                                             [--method M] [--on-screen]
//     build/bench/bench_window_responsiveness --files N [--size BYTES] [-d DIR]
//                                             [--rounds R] [--shred PATH] [--on-screen]
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/window_many_files.h"
#include "list/QuorrelView.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OutputBar.h"

namespace {

struct SOptions {
    std::string folder;
    long long nMib = 1024;
    // -1: half way through the second pass; 0: let the run finish; else this many ms in.
    int nCancelAfterMs = -1;
    int nMethod = 1;
    bool bOnScreen = false;
    int nFiles = 0;  // > 0: the many-small-files set-up
    int nBytes = 0;
    int nRounds = 1;
    std::string shred;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: bench_window_responsiveness [-d DIR] [--mib N] [--cancel-after MS]\n"
                 "                                   [--method M] [--on-screen]\n"
                 "  -d DIR            where the file is made ($TMPDIR, else /tmp)\n"
                 "  --mib N           size of the file in MiB (1024)\n"
                 "  --cancel-after MS Cancel this long after the run starts; 0 = never\n"
                 "                    (default: half way through the second pass)\n"
                 "  --method M        overwrite method 0..3 (1: three passes)\n"
                 "  --on-screen       use the display instead of the offscreen platform\n"
                 "  --files N         N small files, window against quorrel-shred\n"
                 "  --size BYTES      size of each of those files (0)\n"
                 "  --rounds R        window and terminal runs in turn, R each (1)\n"
                 "  --shred PATH      the quorrel-shred to compare with\n"
                 "                    (default: ../cli/quorrel-shred beside this program)\n");
}

bool ParseOptions(int argc, char** argv, SOptions& options) {
    const char* pszTmp = std::getenv("TMPDIR");
    options.folder = pszTmp != nullptr && *pszTmp != '\0' ? pszTmp : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (arg == "-d" && bHasValue) {
            options.folder = argv[++i];
        } else if (arg == "--mib" && bHasValue) {
            options.nMib = std::atoll(argv[++i]);
        } else if (arg == "--cancel-after" && bHasValue) {
            options.nCancelAfterMs = std::atoi(argv[++i]);
        } else if (arg == "--method" && bHasValue) {
            options.nMethod = std::atoi(argv[++i]);
        } else if (arg == "--on-screen") {
            options.bOnScreen = true;
        } else if (arg == "--files" && bHasValue) {
            options.nFiles = std::atoi(argv[++i]);
        } else if (arg == "--size" && bHasValue) {
            options.nBytes = std::atoi(argv[++i]);
        } else if (arg == "--rounds" && bHasValue) {
            options.nRounds = std::atoi(argv[++i]);
        } else if (arg == "--shred" && bHasValue) {
            options.shred = argv[++i];
        } else {
            return false;
        }
    }
    return options.nMib > 0 && options.nFiles >= 0 && options.nBytes >= 0 && options.nRounds > 0;
}

const char* FileSystemName(const std::string& folder) {
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0) {
        return "unknown";
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0xEF53UL:
            return "ext2/3/4";
        case 0x58465342UL:
            return "xfs";
        case 0x9123683EUL:
            return "btrfs";
        case 0x01021994UL:
            return "tmpfs (flushes cost nothing here)";
        case 0x794C7630UL:
            return "overlayfs";
        default:
            return "other";
    }
}

// Writes `nMib` MiB of real data (not a sparse or merely allocated file), flushes it and syncs,
// so that the run pays for its own writes only.
bool MakeBigFile(const std::string& path, long long nMib) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::vector<char> block(1 << 20, static_cast<char>(0xA5));
    bool bOk = true;
    for (long long k = 0; bOk && k < nMib; ++k) {
        bOk = ::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size());
    }
    bOk = ::fsync(fd) == 0 && bOk;
    bOk = ::close(fd) == 0 && bOk;
    ::sync();
    return bOk;
}

double Ms(qint64 nNanoseconds) {
    return static_cast<double>(nNanoseconds) / 1e6;
}

// What the run looked like from the event loop's side.
struct SRunRecord {
    qint64 nStart = -1;
    qint64 nEnd = -1;
    std::vector<qint64> ticks;      // when the 10 ms timer was handled
    std::vector<qint64> barPaints;  // when the progress bar repainted
    qint64 nCancelDue = -1;         // when the Cancel click was due
    qint64 nCancelHandled = -1;     // when the click was delivered
    qint64 nAbortLine = -1;         // when the file reported its abort
    int nBarAtCancel = 0;
    int nBarMaximum = 0;
    int nPassAtCancel = 0;
    int nPassesStarted = 0;  // passes begun so far (the end of the file counts one more)
    std::vector<std::string> lines;
    std::vector<qint64> lineStamps;
};

class CPaintCounter : public QObject {
public:
    CPaintCounter(SRunRecord& record, const QElapsedTimer& clock)
        : m_record(record), m_clock(clock) {}

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint && m_record.nStart >= 0 && m_record.nEnd < 0) {
            m_record.barPaints.push_back(m_clock.nsecsElapsed());
        }
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    SRunRecord& m_record;
    const QElapsedTimer& m_clock;
};

// The longest and the next longest gap between successive stamps, from start to end: the
// second one tells whether the longest stands alone.
void Gaps(std::vector<qint64> stamps, qint64 nStart, qint64 nEnd, double& fLongest, double& fNext) {
    stamps.insert(stamps.begin(), nStart);
    stamps.push_back(nEnd);
    std::vector<qint64> gaps;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        gaps.push_back(stamps[i] - stamps[i - 1]);
    }
    std::sort(gaps.begin(), gaps.end());
    fLongest = gaps.empty() ? 0.0 : Ms(gaps.back());
    fNext = gaps.size() < 2 ? 0.0 : Ms(gaps[gaps.size() - 2]);
}

// Where the gaps of 50 ms and more fell: how far into the run, and after which log line.
void PrintLongGaps(const SRunRecord& run) {
    std::vector<qint64> stamps = run.ticks;
    stamps.insert(stamps.begin(), run.nStart);
    stamps.push_back(run.nEnd);
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        const qint64 nGap = stamps[i] - stamps[i - 1];
        if (nGap < 50 * 1000000LL) {
            continue;
        }
        std::size_t nLine = 0;
        while (nLine + 1 < run.lineStamps.size() && run.lineStamps[nLine + 1] <= stamps[i - 1]) {
            ++nLine;
        }
        std::printf(
            "window_responsiveness:     gap of %.1f ms from %.0f ms into the run, after "
            "\"%s\"\n",
            Ms(nGap), Ms(stamps[i - 1] - run.nStart),
            nLine < run.lines.size() ? run.lines[nLine].c_str() : "");
    }
}

void Report(const SOptions& options, const SRunRecord& run) {
    const double fRunMs = Ms(run.nEnd - run.nStart);
    double fTickGap = 0, fTickNext = 0, fPaintGap = 0, fPaintNext = 0;
    Gaps(run.ticks, run.nStart, run.nEnd, fTickGap, fTickNext);
    Gaps(run.barPaints, run.nStart, run.nEnd, fPaintGap, fPaintNext);
    std::printf("window_responsiveness: run of %.0f ms\n", fRunMs);
    for (const std::string& line : run.lines) {
        std::printf("  log: %s\n", line.c_str());
    }
    std::printf(
        "window_responsiveness: (a) 10 ms timer handled %zu times; longest gap between "
        "two handled events %.1f ms (next longest %.1f ms)\n",
        run.ticks.size(), fTickGap, fTickNext);
    std::printf(
        "window_responsiveness:     progress bar repainted %zu times; longest gap "
        "between repaints %.1f ms (next longest %.1f ms)\n",
        run.barPaints.size(), fPaintGap, fPaintNext);
    PrintLongGaps(run);
    std::printf("window_responsiveness: (a) target under 100 ms: %s\n",
                fTickGap < 100.0 ? "met" : "missed");
    if (options.nCancelAfterMs == 0) {
        std::printf("window_responsiveness: (b) no Cancel asked for\n");
        return;
    }
    if (run.nCancelHandled < 0) {
        std::printf(
            "window_responsiveness: (b) the run ended before the Cancel click was due "
            "(use a larger file or an earlier --cancel-after)\n");
        return;
    }
    const double fClickToEnd = Ms(run.nEnd - run.nCancelHandled);
    std::printf(
        "window_responsiveness: (b) Cancel due at %.0f ms into the run, delivered %.1f "
        "ms later, with the bar at %.1f%% of pass %d\n",
        Ms(run.nCancelDue - run.nStart), Ms(run.nCancelHandled - run.nCancelDue),
        run.nBarMaximum > 0 ? 100.0 * run.nBarAtCancel / run.nBarMaximum : 0.0, run.nPassAtCancel);
    std::printf(
        "window_responsiveness: (b) Cancel click to the end of the run: %.1f ms "
        "(from when it was due: %.1f ms)\n",
        fClickToEnd, Ms(run.nEnd - run.nCancelDue));
    if (run.nAbortLine >= 0) {
        // The file is truncated and closed before the abort is reported: that share is the
        // file system's, the rest is the window's.
        std::printf(
            "window_responsiveness:     of which until the abort line (truncation and "
            "close of the file): %.1f ms\n",
            Ms(run.nAbortLine - run.nCancelHandled));
    }
    std::printf("window_responsiveness: (b) target under 100 ms: %s\n",
                fClickToEnd < 100.0 ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    if (!options.bOnScreen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A profile of its own: the benchmark never reads or writes the user's settings.
    QTemporaryDir profile;
    if (!profile.isValid()) {
        return 2;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.path()));
    QApplication app(argc, argv);
    if (options.nFiles > 0) {
        quorrel_bench::SManyFilesOptions files;
        files.folder = options.folder;
        files.nFiles = options.nFiles;
        files.nBytes = options.nBytes;
        files.nRounds = options.nRounds;
        files.shred = options.shred.empty()
                          ? QCoreApplication::applicationDirPath() + "/../cli/quorrel-shred"
                          : QString::fromStdString(options.shred);
        return quorrel_bench::RunManyFiles(files);
    }

    const std::string path =
        options.folder + "/quorrel-window-bench-" + std::to_string(::getpid()) + ".dat";
    std::printf("window_responsiveness: making %s (%lld MiB of data) on %s\n", path.c_str(),
                options.nMib, FileSystemName(options.folder));
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    if (!MakeBigFile(path, options.nMib)) {
        std::fprintf(stderr, "window_responsiveness: cannot make %s: %s\n", path.c_str(),
                     std::strerror(errno));
        ::unlink(path.c_str());
        return 2;
    }
    std::printf("window_responsiveness: made and synced in %.1f s\n",
                static_cast<double>(clock.elapsed()) / 1000.0);

    quorrel::CMessageBox::SetRefuseUnanswered(true);
    quorrel::WipeMethod() = options.nMethod;
    quorrel::CMainFrame frame;
    if (!frame.Create()) {
        ::unlink(path.c_str());
        return 2;
    }
    frame.show();
    frame.GetActiveView()->AddEntry(QByteArray::fromStdString(path), quorrel::ItemKind::File);
    frame.GetActiveView()->SetItemSelected(0, true);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    SRunRecord run;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] { run.ticks.push_back(clock.nsecsElapsed()); });
    QProgressBar& bar = frame.Progress();
    CPaintCounter paints(run, clock);
    bar.installEventFilter(&paints);
    auto* pCancel =
        frame.AbortDialog().findChild<QPushButton*>(QStringLiteral("abortCancelButton"));
    QObject context;
    // The click, posted at `nDue`: it is delivered by the next event check of the run.
    const auto postCancel = [&](qint64 nDue, int nDelayMs) {
        run.nCancelDue = nDue;
        QTimer::singleShot(nDelayMs, Qt::PreciseTimer, &context, [&] {
            run.nCancelHandled = clock.nsecsElapsed();
            run.nBarAtCancel = bar.value();
            run.nBarMaximum = bar.maximum();
            run.nPassAtCancel = run.nPassesStarted;
            pCancel->click();
        });
    };
    int nLastValue = 0;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int nValue) {
        if (run.nStart < 0 || run.nEnd >= 0) {
            return;
        }
        if (nValue == 0 && nLastValue != 0) {
            ++run.nPassesStarted;  // the first pass starts at 0 already: counted at the start
        }
        nLastValue = nValue;
        if (options.nCancelAfterMs < 0 && run.nCancelDue < 0 && run.nPassesStarted == 2 &&
            nValue >= bar.maximum() / 2) {
            postCancel(clock.nsecsElapsed(), 0);
        }
    });
    QAbstractItemModel* pLog = frame.OutputBar().LogList().model();
    QObject::connect(pLog, &QAbstractItemModel::rowsInserted, &context,
                     [&](const QModelIndex&, int nFirst, int nLast) {
                         for (int nRow = nFirst; nRow <= nLast; ++nRow) {
                             const QString line = pLog->index(nRow, 0).data().toString();
                             if (line.startsWith(QLatin1String("- Deleteing files"))) {
                                 run.nStart = clock.nsecsElapsed();
                                 run.nPassesStarted = 1;
                                 ticker.start();
                                 std::printf("window_responsiveness: run started\n");
                                 std::fflush(stdout);
                                 if (options.nCancelAfterMs > 0) {
                                     postCancel(
                                         run.nStart + qint64{options.nCancelAfterMs} * 1000000,
                                         options.nCancelAfterMs);
                                 }
                             } else if (line.startsWith(QLatin1String("* Process is aborted"))) {
                                 run.nAbortLine = clock.nsecsElapsed();
                             } else if (line.startsWith(QLatin1String("- Time:"))) {
                                 run.nEnd = clock.nsecsElapsed();
                                 ticker.stop();
                             }
                             run.lines.push_back(line.toStdString());
                             run.lineStamps.push_back(clock.nsecsElapsed());
                         }
                     });

    quorrel::CMessageBox::SetNextAnswer(quorrel::CMessageBox::IdYes);
    frame.Action(quorrel::ID_WIPE_SELECTED)->trigger();
    if (run.nEnd < 0) {
        run.nEnd = clock.nsecsElapsed();
    }
    ::unlink(path.c_str());  // an aborted file is left truncated under its own name
    Report(options, run);
    return 0;
}

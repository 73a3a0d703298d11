// Several files of a folder shredded at once: the log as one at a time would write it, Cancel
// reaching every file in flight, and descriptors bounded by the files in flight.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "engine/file/WipeMethod.h"
#include "engine/log/LogLines.h"
#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

constexpr int kInFlight = 4;

// The names of `folder`'s entries in the order a walk meets them.
std::vector<std::string> WalkOrder(const std::string& folder) {
    CFileError error;
    std::unique_ptr<IFolder> opened = SystemFileSystem().OpenFolder(folder, error);
    std::vector<CDirEntry> entries;
    std::vector<std::string> names;
    if (opened && opened->List(entries, error)) {
        for (const CDirEntry& entry : entries) {
            names.push_back(entry.m_strName);
        }
    }
    return names;
}

// The host of these tests: Cancel can be pressed from any thread, and counts how often the
// run was told so.
class CPressableHost : public CRecordingHost {
public:
    bool IsAborted() override {
        if (m_bPressed) {
            ++m_nToldAborted;
            return true;
        }
        return CRecordingHost::IsAborted();
    }
    std::atomic<bool> m_bPressed{false};
    std::atomic<int> m_nToldAborted{0};
};

class InFlightTest : public ::testing::Test {
protected:
    InFlightTest() : m_engine(m_files, m_host) {
        m_files.AllowFilesInFlight();
        m_engine.SetFilesInFlight(kInFlight);
        m_engine.SetWipeMethod(1);
    }

    // `nFiles` files of `nBytes` in the folder "d", and the order the walk will meet them in.
    std::vector<std::string> MakeFiles(int nFiles, std::size_t nBytes) {
        MakeFolder(m_dir / "d");
        for (int i = 0; i < nFiles; ++i) {
            WriteFile(m_dir / "d" / ("f" + std::to_string(i)), std::string(nBytes, 's'));
        }
        return WalkOrder(m_dir / "d");
    }

    // Holds the flush of the file `held` back until three other files have flushed (at most
    // 20 s); m_bOvertaken says whether they did.
    void HoldBackUntilOvertaken(const std::string& held) {
        m_files.BeforeFlush([this, held](const std::string& path) {
            std::unique_lock<std::mutex> guard(m_lock);
            if (path != held) {
                m_others.insert(path);
                m_flushed.notify_all();
                return;
            }
            m_bOvertaken = m_flushed.wait_for(guard, std::chrono::seconds(20),
                                              [this] { return m_others.size() >= 3; });
        });
    }

    // Presses Cancel once kInFlight files are at the end of their first pass, each held there
    // until then, and lets them go on once the run has been told twice (the first answer is
    // passed on to the files before the run asks again).
    void PressCancelOnceAllAreInFlight() {
        m_files.BeforeFlush([this](const std::string&) {
            {
                std::unique_lock<std::mutex> guard(m_lock);
                if (++m_nArrived == kInFlight) {
                    m_host.m_bPressed = true;
                    m_flushed.notify_all();
                }
                m_flushed.wait_for(guard, std::chrono::seconds(20),
                                   [this] { return m_host.m_bPressed.load(); });
            }
            for (int i = 0; i < 2000 && m_host.m_nToldAborted < 2; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }

    std::mutex m_lock;
    std::condition_variable m_flushed;
    int m_nArrived = 0;
    std::set<std::string> m_others;
    bool m_bOvertaken = false;
    CTempDir m_dir;
    CFakeFileSystem m_files;
    CPressableHost m_host;
    CWipeEngine m_engine;
};

// The first file's flush is held back until three later files have flushed past it; one file
// has a second name and is refused. The log still holds every file's lines together, in the
// walk's order, and the refusal makes the run fail without stopping the others.
TEST_F(InFlightTest, TheLogKeepsTheWalkOrderWhileFilesOvertakeEachOther) {
    const std::vector<std::string> order = MakeFiles(8, 4096);
    const std::string held = m_dir / "d" / order[0];
    const std::string linked = m_dir / "d" / order[5];
    ASSERT_EQ(::link(linked.c_str(), (m_dir / "other-name").c_str()), 0);
    HoldBackUntilOvertaken(held);

    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "d", EWipeMode::Normal));

    EXPECT_TRUE(m_bOvertaken) << "no later file was shredded while the first one waited";
    std::vector<std::string> expected{lines::WipeingFolder(m_dir / "d")};
    for (const std::string& name : order) {
        const std::string path = m_dir / "d" / name;
        if (path == linked) {
            expected.push_back(lines::HardLinked(path, 2));
            continue;
        }
        expected.push_back(lines::WipeingFile(path));
        expected.push_back(lines::FileDeleted(path));
    }
    expected.push_back(lines::FolderNotRemoved(m_dir / "d"));
    EXPECT_EQ(m_host.Lines(), expected);
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Failed);
    EXPECT_EQ(ListNames(m_dir / "d"), std::vector<std::string>{order[5]});
    EXPECT_EQ(ReadFile(linked), std::string(4096, 's'));
}

// Cancel is pressed once four files are in flight, each at the end of its first pass: every
// one stops there, keeps its length and gets its abort line, in the walk's order; the files
// not yet begun are neither mentioned nor touched.
TEST_F(InFlightTest, CancelStopsEveryFileInFlightAndNoneAfter) {
    const std::string original(3 * CPassWriter::kChunkBytes, 's');
    const std::vector<std::string> order = MakeFiles(7, original.size());
    PressCancelOnceAllAreInFlight();

    EXPECT_FALSE(m_engine.WipeFolder(m_dir / "d", EWipeMode::Normal));

    std::vector<std::string> expected{lines::WipeingFolder(m_dir / "d")};
    for (int i = 0; i < kInFlight; ++i) {
        const std::string path = m_dir / "d" / order[static_cast<std::size_t>(i)];
        expected.push_back(lines::WipeingFile(path));
        expected.push_back(lines::FileAborted(path));
        EXPECT_EQ(ReadFile(path), std::string(original.size(), '\0')) << path;
    }
    EXPECT_EQ(m_host.Lines(), expected);
    for (std::size_t i = kInFlight; i < order.size(); ++i) {
        EXPECT_EQ(ReadFile(m_dir / "d" / order[i]), original) << order[i];
    }
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Aborted);
}

// By default a walk begins one file at a time and puts files in flight once several in a row
// have waited for their device (here each flush takes 3 ms, as on a stick).
TEST_F(InFlightTest, FilesThatWaitForTheirDeviceAreOverlappedByDefault) {
    m_engine.SetFilesInFlight(kInFlight, true);
    const std::vector<std::string> order = MakeFiles(16, 4096);
    std::atomic<int> nFlushing{0};
    std::atomic<int> nMost{0};
    m_files.BeforeFlush([&](const std::string&) {
        const int nNow = ++nFlushing;
        nMost = std::max(nMost.load(), nNow);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        --nFlushing;
    });

    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "d", EWipeMode::Normal));

    EXPECT_GT(nMost.load(), 1);
    EXPECT_EQ(m_host.Lines().size(), 2 * order.size() + 2);
    EXPECT_EQ(m_host.Lines()[1], lines::WipeingFile(m_dir / "d" / order[0]));
    EXPECT_EQ(m_host.Lines()[2 * order.size()], lines::FileDeleted(m_dir / "d" / order.back()));
    EXPECT_FALSE(Exists(m_dir / "d"));
}

// A list run puts the files its rows name in flight: the first row's flush is held back
// until three later rows have flushed, and still every row's lines come in row order, the
// rows destroyed leave the list, a row naming a file again waits for it and is said to be
// gone, and a row naming nothing stays, deselected.
TEST_F(InFlightTest, ListRowsInFlightKeepTheirOrderInTheLogAndTheList) {
    m_engine.SetClock([] { return 0; });
    const std::vector<std::string> order = MakeFiles(7, 4096);
    const auto Row = [&](int i) { return m_dir / "d" / ("f" + std::to_string(i)); };
    CRowList list(
        {Row(0), Row(1), Row(2), Row(3), Row(4), Row(2), m_dir / "missing", Row(5), Row(6)});
    list.SetSelected(8, false);
    HoldBackUntilOvertaken(Row(0));

    EXPECT_TRUE(RunWipeSelected(m_engine, list));

    EXPECT_TRUE(m_bOvertaken) << "no later row was shredded while the first one waited";
    std::vector<std::string> expected{lines::ListBanner(WipeMethodName(1))};
    for (int i : {0, 1, 2, 3, 4}) {
        expected.push_back(lines::WipeingFile(Row(i)));
        expected.push_back(lines::FileDeleted(Row(i)));
    }
    expected.push_back(lines::ShreddedEarlier(Row(2), Row(2)));
    expected.push_back(lines::NotAnObject(m_dir / "missing"));
    expected.push_back(lines::WipeingFile(Row(5)));
    expected.push_back(lines::FileDeleted(Row(5)));
    expected.push_back(lines::TimeLine(0));
    EXPECT_EQ(m_host.Lines(), expected);
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"-" + m_dir / "missing", "-" + Row(6)}));
    EXPECT_EQ(ListNames(m_dir / "d"), std::vector<std::string>{"f6"});
}

// Files in flight on an overlay whose lower layer holds them: each is removed with the line
// that says its first copy stays below, and those warnings are the run's (its exit status says
// so); a list row that names such a file again is said to be gone with it, not missing.
TEST(InFlightOverlay, TheWarningsOfFilesInFlightAreTheRunsOwn) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting an overlay needs root";
    }
    CTempDir dir;
    for (const char* folder : {"lower", "lower/d", "lower/e", "upper", "work", "merged"}) {
        MakeFolder(dir / folder);
    }
    constexpr int kFiles = 6;
    for (int i = 0; i < kFiles; ++i) {
        WriteFile(dir / "lower/d" / ("f" + std::to_string(i)), "below");
    }
    WriteFile(dir / "lower/e/f0", "below");
    WriteFile(dir / "lower/e/f1", "below");
    const CTestMount overlay("overlay", dir / "merged", "overlay", 0,
                             "lowerdir=" + (dir / "lower") + ",upperdir=" + (dir / "upper") +
                                 ",workdir=" + (dir / "work"));
    if (!overlay.IsMounted()) {
        GTEST_SKIP() << "this kernel mounts no overlay here";
    }
    ASSERT_EQ(ReadFile(dir / "merged/d/f0"), "below");  // the lower layer is seen through it

    CRecordingHost folderHost;
    CWipeEngine folderRun(SystemFileSystem(), folderHost);
    folderRun.SetFilesInFlight(kInFlight);
    EXPECT_TRUE(folderRun.WipeFolder(dir / "merged/d", EWipeMode::Normal));
    EXPECT_EQ(folderRun.WarningCount(), kFiles);
    EXPECT_EQ(folderRun.RunOutcome(), EWipeOutcome::RemovedNotInPlace);
    EXPECT_FALSE(Exists(dir / "merged/d"));

    CRecordingHost listHost;
    CWipeEngine listRun(SystemFileSystem(), listHost);
    listRun.SetFilesInFlight(kInFlight);
    const std::string f0 = dir / "merged/e/f0";
    CRowList list({f0, dir / "merged/e/f1", f0});
    EXPECT_TRUE(RunWipeSelected(listRun, list));
    EXPECT_TRUE(HasLine(listHost.Lines(), lines::ShreddedEarlier(f0, f0)))
        << ::testing::PrintToString(listHost.Lines());
    EXPECT_EQ(listRun.FailureCount(), 0);
    EXPECT_EQ(listRun.RunOutcome(), EWipeOutcome::RemovedNotInPlace);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_TRUE(ListNames(dir / "merged/e").empty());
}

// A folder's files are done before the walk enters a folder after them: a file's first flush
// is held back (up to 300 ms) for the walk to open the sub-folder, and still the file's lines
// come first.
TEST_F(InFlightTest, AFoldersFilesAreDoneBeforeTheWalkEntersTheNextFolder) {
    MakeFolder(m_dir / "d");
    MakeFolder(m_dir / "d/s");
    WriteFile(m_dir / "d/s/g", "g");
    std::string name = "f";  // a name the walk meets before s
    WriteFile(m_dir / "d" / name, std::string(4096, 'f'));
    for (int i = 0; WalkOrder(m_dir / "d").front() != name && i < 50; ++i) {
        const std::string next = "f" + std::to_string(i);
        ASSERT_EQ(std::rename((m_dir / "d" / name).c_str(), (m_dir / "d" / next).c_str()), 0);
        name = next;
    }
    ASSERT_EQ(WalkOrder(m_dir / "d").front(), name);
    const std::string file = m_dir / "d" / name;
    bool bEntered = false;
    bool bHeld = false;
    m_files.BeforeOpen([&](const std::string& path) {
        std::lock_guard<std::mutex> guard(m_lock);
        bEntered = bEntered || path == m_dir / "d/s";
        m_flushed.notify_all();
    });
    m_files.BeforeFlush([&](const std::string& path) {
        std::unique_lock<std::mutex> guard(m_lock);
        if (path == file && !std::exchange(bHeld, true)) {  // its first pass
            m_flushed.wait_for(guard, std::chrono::milliseconds(300), [&] { return bEntered; });
        }
    });

    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "d", EWipeMode::Normal));

    const std::vector<std::string>& lines = m_host.Lines();
    const auto deleted = std::find(lines.begin(), lines.end(), lines::FileDeleted(file));
    const auto entered = std::find(lines.begin(), lines.end(), lines::WipeingFolder(m_dir / "d/s"));
    ASSERT_NE(deleted, lines.end());
    EXPECT_LT(deleted, entered) << ::testing::PrintToString(lines);
    EXPECT_FALSE(Exists(m_dir / "d"));
}

// A list whose second row is asked for only once `wait` returns: a run's pause between rows.
class CPausingList final : public CRowList {
public:
    CPausingList(const std::vector<std::string>& paths, std::function<void()> wait)
        : CRowList(paths), m_wait(std::move(wait)) {}
    std::string GetItemPath(int nRow) override {
        if (nRow == 1 && m_wait) {
            std::exchange(m_wait, nullptr)();
        }
        return CRowList::GetItemPath(nRow);
    }

private:
    std::function<void()> m_wait;
};

// A row that names again a file a worker is shredding right then (its first pass is being
// flushed) waits for it and is said to be gone with it: the file is never handed over twice.
TEST_F(InFlightTest, ARowNamingAFileAWorkerHoldsWaitsForIt) {
    m_engine.SetClock([] { return 0; });
    MakeFolder(m_dir / "d");
    const std::string file = m_dir / "d/f";
    WriteFile(file, std::string(4096, 's'));
    bool bFlushing = false;  // the worker is in the file's first flush
    bool bAsked = false;     // the second row was asked for
    bool bDecided = false;   // and the run has done with it what it does
    bool bHeld = false;
    m_files.BeforeFlush([&](const std::string&) {
        std::unique_lock<std::mutex> guard(m_lock);
        if (std::exchange(bHeld, true)) {
            return;
        }
        bFlushing = true;
        m_flushed.notify_all();
        // Until the run has decided about the second row (it looks at Cancel next).
        m_flushed.wait_for(guard, std::chrono::seconds(20), [&] { return bDecided; });
    });
    m_host.AbortWhen([&] {
        std::lock_guard<std::mutex> guard(m_lock);
        bDecided = bDecided || bAsked;
        m_flushed.notify_all();
        return false;
    });
    CPausingList list({file, file}, [&] {
        std::unique_lock<std::mutex> guard(m_lock);
        EXPECT_TRUE(m_flushed.wait_for(guard, std::chrono::seconds(20), [&] { return bFlushing; }));
        bAsked = true;
    });

    EXPECT_TRUE(RunWipeSelected(m_engine, list));

    EXPECT_EQ(m_host.Lines(),
              (std::vector<std::string>{lines::ListBanner(WipeMethodName(1)),
                                        lines::WipeingFile(file), lines::FileDeleted(file),
                                        lines::ShreddedEarlier(file, file), lines::TimeLine(0)}));
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

// A pattern's matches go in flight as rows do: the first match's flush is held back until
// three later ones have flushed, and still the lines come in the listing's order and the
// pattern's row leaves the list once every match is destroyed.
TEST_F(InFlightTest, APatternsMatchesGoInFlightLikeRows) {
    m_engine.SetClock([] { return 0; });
    const std::vector<std::string> order = MakeFiles(6, 4096);
    CRowList list({m_dir / "d/f*"});
    HoldBackUntilOvertaken(m_dir / "d" / order[0]);

    EXPECT_TRUE(RunWipeSelected(m_engine, list));

    EXPECT_TRUE(m_bOvertaken) << "the matches were shredded one at a time";
    std::vector<std::string> expected{lines::ListBanner(WipeMethodName(1))};
    for (const std::string& name : order) {
        expected.push_back(lines::WipeingFile(m_dir / "d" / name));
        expected.push_back(lines::FileDeleted(m_dir / "d" / name));
    }
    expected.push_back(lines::TimeLine(0));
    EXPECT_EQ(m_host.Lines(), expected);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_TRUE(ListNames(m_dir / "d").empty());
}

// Cancel while every row is handed over and only some have begun: those in flight stop with
// their lines, the rows that never began are left as they were (files whole, rows selected),
// and the run says it was aborted.
TEST_F(InFlightTest, CancelLeavesTheListRowsNotBegunAsTheyWere) {
    m_engine.SetClock([] { return 0; });
    const std::string original(3 * CPassWriter::kChunkBytes, 's');
    MakeFiles(7, original.size());
    const auto Row = [&](int i) { return m_dir / "d" / ("f" + std::to_string(i)); };
    CRowList list({Row(0), Row(1), Row(2), Row(3), Row(4), Row(5), Row(6)});
    PressCancelOnceAllAreInFlight();

    EXPECT_FALSE(RunWipeSelected(m_engine, list));

    std::vector<std::string> expected{lines::ListBanner(WipeMethodName(1))};
    std::vector<std::string> rows;
    for (int i = 0; i < 7; ++i) {
        if (i < kInFlight) {
            expected.push_back(lines::WipeingFile(Row(i)));
            expected.push_back(lines::FileAborted(Row(i)));
        }
        rows.push_back((i < kInFlight ? "-" : "+") + Row(i));
        EXPECT_EQ(ReadFile(Row(i)), i < kInFlight ? std::string(original.size(), '\0') : original);
    }
    expected.push_back(lines::TimeLine(0));
    EXPECT_EQ(m_host.Lines(), expected);
    EXPECT_EQ(list.Rows(), rows);
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Aborted);
}

// The descriptors open at once: listing this process's own.
int OpenDescriptors() {
    int nOpen = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) {
            ++nOpen;
        }
        ::closedir(dir);
    }
    return nOpen;
}

// A host that looks at the open descriptors every thousandth line.
class CCountingHost : public IRunHost {
public:
    void AddLine(const std::string&) override {
        if (++m_nLines % 1000 == 0) {
            m_nMostOpen = std::max(m_nMostOpen, OpenDescriptors());
        }
    }
    bool IsAborted() override { return false; }
    int m_nLines = 0;
    int m_nMostOpen = 0;
};

// 100,000 files in one folder: the run never holds more descriptors than its files in flight
// (a file and its read-back each) and a few of its own.
TEST(InFlightScale, DescriptorsStayBoundedOverAHundredThousandFiles) {
    CTempDir dir;
    MakeFolder(dir / "d");
    for (int i = 0; i < 100000; ++i) {
        WriteFile(dir / "d" / std::to_string(i), "x");
    }
    CCountingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    engine.SetFilesInFlight(CWipeEngine::kDefaultFilesInFlight);
    const int nBefore = OpenDescriptors();

    EXPECT_TRUE(engine.WipeFolder(dir / "d", EWipeMode::Normal));

    EXPECT_EQ(host.m_nLines, 2 * 100000 + 2);
    EXPECT_GT(host.m_nMostOpen, 0);
    EXPECT_LE(host.m_nMostOpen, nBefore + 2 * CWipeEngine::kDefaultFilesInFlight + 4);
    EXPECT_FALSE(Exists(dir / "d"));
}

}  // namespace
}  // namespace quorrel::test

// WIPE Free Space over a temporary folder that stands for the top of a volume: the fill ends
// normally when the disk fills (ENOSPC or a quota), what the run made is removed, a work folder
// an earlier run left is removed (and a folder it did not make is left alone), the reserve a
// user cannot reach and xfs's hidden one are reported, a driver's "access denied" on a full disk
// ends the fill, Cancel still cleans up, and kernel and read-only file systems
// are refused, also when the question was asked on a folder that was swapped since.
#include <gtest/gtest.h>
#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/freespace/FreeSpaceRun.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

CVolumeSpace Space(std::int64_t nFree, std::int64_t nAvailable, bool bRoot) {
    CVolumeSpace space;
    space.m_nBlockBytes = 4096;
    space.m_nTotalBytes = 64 * kMiB;
    space.m_nFreeBytes = nFree;
    space.m_nAvailableBytes = nAvailable;
    space.m_bMayUseReserve = bRoot;
    return space;
}

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) {
            return true;
        }
    }
    return false;
}

class FreeSpaceTest : public ::testing::Test {
protected:
    FreeSpaceTest() : m_engine(m_files, m_host) {
        m_files.PretendVolumeTop(m_dir.Path());
        FreeUntilFull(Space(0, 0, true));
        m_engine.SetClock([] { return std::int64_t{7}; });
    }
    std::string Work() const { return m_dir / kFreeSpaceWorkFolder; }
    // 1 MiB free while the run looks before it starts and before its big file (which may take
    // 512 KiB then), `left` from then on.
    void FreeUntilFull(const CVolumeSpace& left) {
        const CVolumeSpace free = Space(kMiB, kMiB, true);
        m_files.PretendSpace({free, free, free, left});
    }
    bool Run() { return RunWipeFreeSpace(m_engine, m_dir.Path()); }

    CTempDir m_dir;
    CFakeFileSystem m_files;
    CRecordingHost m_host;
    CWipeEngine m_engine;
};

TEST_F(FreeSpaceTest, DiskFullOrQuotaEndsTheFillAndEverythingMadeIsRemoved) {
    for (const int nErrno : {ENOSPC, EDQUOT}) {
        SCOPED_TRACE(nErrno);
        m_host.ClearLines();
        WriteFile(m_dir / "kept.txt", "someone's file");
        m_files.StayFullFrom(3, nErrno);  // two chunks fit, then the disk is full
        EXPECT_TRUE(Run());
        EXPECT_EQ(m_engine.FailureCount(), 0);
        EXPECT_EQ(m_engine.WarningCount(), 0);
        EXPECT_TRUE(
            HasLineStartingWith(m_host.Lines(), "Wrote 512.0 KiB in 1 files and 8 small files"));
        EXPECT_TRUE(
            HasLineStartingWith(m_host.Lines(), "- End wiping free space of " + m_dir.Path()));
        EXPECT_EQ(ListNames(m_dir.Path()), std::vector<std::string>{"kept.txt"});
        EXPECT_EQ(ReadFile(m_dir / "kept.txt"), "someone's file");
        FreeUntilFull(Space(0, 0, true));
    }
}

// The work folder and the blocks the fill's bookkeeping took are written in place before the
// first file is made and again after the last is written, before anything is removed.
TEST_F(FreeSpaceTest, TheWorkFolderIsSettledInPlaceBeforeTheFillAndBeforeItsRemoval) {
    m_files.StayFullFrom(3, ENOSPC);
    ASSERT_TRUE(Run());
    const std::vector<std::string>& events = m_files.m_events;
    const auto first = [&](const char* event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    const auto last = [&](const char* event) {
        return events.rend() - std::find(events.rbegin(), events.rend(), event) - 1;
    };
    EXPECT_LT(first("settle"), first("create"));
    EXPECT_GT(last("settle"), last("flush"));
    EXPECT_LT(last("settle"), first("delete"));
}

// fusefat answers a full disk with EPERM, on writes and on creates: that ends the fill only
// when the volume says it is full, else it is the failure it says. A create that failed may
// have made its entry: it goes with the rest either way.
TEST_F(FreeSpaceTest, AccessDeniedEndsTheFillOnlyOnAFullVolumeAndNothingStays) {
    struct SCase {
        bool bCreateFails;
        bool bVolumeFull;
        std::string failLine;  // empty: the run succeeds
    };
    const SCase cases[] = {
        {false, true, ""},
        {false, false, "* Error writing to file " + Work() + "/tail-000002"},
        {true, true, ""},
        {true, false, "* Error creating file " + Work() + "/tail-000002"},
    };
    m_files.LeaveEntryOnFailedCreate();
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.bCreateFails * 2 + test.bVolumeFull);
        m_host.ClearLines();
        FreeUntilFull(Space(test.bVolumeFull ? 0 : kMiB, test.bVolumeFull ? 0 : kMiB, true));
        m_files.StayFullFrom(3, EPERM);  // the big file takes its 512 KiB, then "denied"
        if (test.bCreateFails) {
            m_files.FailOn(EFileOp::Create, kCauseAccessDenied, 2);
        }
        EXPECT_EQ(Run(), test.failLine.empty());
        EXPECT_TRUE(test.failLine.empty() || HasLineStartingWith(m_host.Lines(), test.failLine));
        EXPECT_TRUE(ListNames(m_dir.Path()).empty());
    }
}

// Only a leftover provably this user's own earlier run's is removed. Anything else of that
// name (a folder holding what the run never makes, another user's folder) is named and left
// alone, and the run goes on in a work folder of its own beside it.
TEST_F(FreeSpaceTest, LeftoverWorkFolderIsRemovedButAForeignOneIsLeftAlone) {
    struct SCase {
        const char* entry;  // what the leftover holds
        unsigned nOwner;    // its owner
        const char* line;   // the line that names it (after the path)
    };
    const unsigned nMe = ::geteuid();
    const SCase cases[] = {
        {"fill-000001", nMe, " left by an earlier run is removed"},
        {"notes.txt", nMe,
         " holds notes.txt, which this program did not make; the folder was "
         "left alone"},
        {"fill-000001", 4242, " is not a work folder this program left; it was left alone"},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.entry + std::to_string(test.nOwner));
        if (test.nOwner != nMe && nMe != 0) {
            continue;  // only root makes a folder another user's
        }
        m_host.ClearLines();
        MakeFolder(Work());
        WriteFile(Work() + "/" + test.entry, std::string(100, '\0'));
        SetMode(Work(), 0700);
        ASSERT_EQ(::chown(Work().c_str(), test.nOwner, test.nOwner), 0);
        m_files.StayFullFrom(1);
        FreeUntilFull(Space(0, 0, true));
        EXPECT_TRUE(Run());
        const bool bOwn = std::string(test.line).find("removed") != std::string::npos;
        EXPECT_TRUE(
            HasLineStartingWith(m_host.Lines(), (bOwn ? "Folder " : "* ") + Work() + test.line));
        EXPECT_TRUE(HasLineStartingWith(m_host.Lines(),
                                        "Folder " + Work() + (bOwn ? "" : "-2") + " is removed"));
        EXPECT_EQ(Exists(Work() + "/" + test.entry), !bOwn);
        EXPECT_FALSE(Exists(Work() + "-2"));
        if (Exists(Work())) {
            ::unlink((Work() + "/" + test.entry).c_str());
            ::rmdir(Work().c_str());
        }
    }
}

TEST_F(FreeSpaceTest, UnreachedReserveOfAUserIsReported) {
    m_files.PretendSpace({Space(10 * kMiB, 8 * kMiB, false), Space(2 * kMiB, 0, false)});
    m_files.StayFullFrom(2);
    EXPECT_TRUE(Run());
    EXPECT_EQ(m_engine.WarningCount(), 1);
    EXPECT_TRUE(HasLineStartingWith(
        m_host.Lines(), "* 2.0 MiB of the free space of " + m_dir.Path() +
                            " was not reached: 2.0 MiB of it is reserved for the administrator "
                            "(run as root to reach it); what was deleted there may remain"));

    m_host.ClearLines();  // xfs hides its reserve pool from the free space it tells
    CVolumeFacts xfs;
    xfs.m_strType = "xfs";
    m_files.PretendVolume(xfs);
    FreeUntilFull(Space(0, 0, true));
    m_files.StayFullFrom(1);
    EXPECT_TRUE(Run());
    EXPECT_TRUE(HasLineStartingWith(
        m_host.Lines(),
        "* xfs keeps up to 32 MiB of the free space of " + m_dir.Path() + " back for its own use"));
}

TEST_F(FreeSpaceTest, CancelStopsTheFillAndStillRemovesEverything) {
    m_files.PretendSpace({Space(64 * kMiB, 64 * kMiB, true)});
    m_host.AbortAtCheck(6);
    EXPECT_FALSE(Run());
    EXPECT_TRUE(HasLineStartingWith(m_host.Lines(),
                                    "* Wiping free space of " + m_dir.Path() + " is aborted"));
    EXPECT_TRUE(ListNames(m_dir.Path()).empty());
}

TEST_F(FreeSpaceTest, KernelAndReadOnlyFileSystemsAreRefused) {
    struct SCase {
        bool bPseudo;
        bool bReadOnly;
        std::string line;
    };
    const SCase cases[] = {
        {true, false, "* " + m_dir.Path() + " is on a sysfs file system"},
        {false, true, "* " + m_dir.Path() + " is on a read-only file system"},
    };
    for (const SCase& test : cases) {
        m_host.ClearLines();
        CVolumeFacts volume;
        volume.m_strType = "sysfs";
        volume.m_bPseudo = test.bPseudo;
        m_files.PretendVolume(volume);
        CVolumeSpace space = Space(kMiB, kMiB, true);
        space.m_bReadOnly = test.bReadOnly;
        m_files.PretendSpace({space});
        EXPECT_FALSE(Run());
        EXPECT_TRUE(HasLineStartingWith(m_host.Lines(), test.line)) << test.line;
        EXPECT_TRUE(ListNames(m_dir.Path()).empty());
    }
}

// The question's facts are passed on, not looked up again; the folder the fill opens must
// still be the one they describe, and writable.
TEST_F(FreeSpaceTest, AFolderSwappedOrMadeReadOnlyAfterTheQuestionIsRefused) {
    const std::string chosen = m_dir / "chosen";
    for (const bool bSwap : {true, false}) {
        m_host.ClearLines();
        ASSERT_EQ(::mkdir(chosen.c_str(), 0700), 0);
        CFreeSpaceFacts facts;
        std::string line;
        ASSERT_TRUE(DescribeFreeSpace(m_files, chosen, facts, line)) << line;
        CVolumeSpace space = Space(kMiB, kMiB, true);
        space.m_bReadOnly = !bSwap;
        m_files.PretendSpace({space, Space(0, 0, true)});  // full at once, should a fill start
        if (bSwap) {
            ASSERT_EQ(::rename(chosen.c_str(), (m_dir / "moved").c_str()), 0);
            ASSERT_EQ(::mkdir(chosen.c_str(), 0700), 0);
        }
        EXPECT_FALSE(RunWipeFreeSpace(m_engine, chosen, facts));
        const std::string expected =
            "* " + chosen +
            (bSwap ? " changed after its file system was looked at for the question"
                   : " is on a read-only file system");
        EXPECT_TRUE(HasLineStartingWith(m_host.Lines(), expected)) << expected;
        EXPECT_EQ(ListNames(m_dir.Path()).size(), bSwap ? 2u : 1u);  // no work folder made
        EXPECT_FALSE(HasLineStartingWith(m_host.Lines(), "Wipeing free space in "));
        ASSERT_EQ(::rmdir(chosen.c_str()), 0);
        if (bSwap) {
            ASSERT_EQ(::rmdir((m_dir / "moved").c_str()), 0);
        }
    }
}

}  // namespace

}  // namespace quorrel::test

namespace quorrel::test {
namespace {

// Once the fill is removed the drive is told what is free, a slice at a time, and the log says
// how much, or why not; only a failed request says something may remain.
TEST_F(FreeSpaceTest, TheDriveIsToldWhatIsFreeOnceTheFillIsRemoved) {
    struct SCase {
        ETrim result;
        const char* why;
        std::string line;  // empty: none
        int nWarnings;
    };
    const std::string top = m_dir.Path();
    const SCase cases[] = {
        {ETrim::Done, "", lines::TrimDone(top, "48.0 MiB"), 0},
        {ETrim::Unsupported, "", lines::TrimUnsupported(top), 0},
        {ETrim::NotAllowed, "", lines::TrimNotAsked(top, lines::kTrimNeedsAdministrator), 0},
        {ETrim::NotOffered, "", "", 0},
        {ETrim::NotOffered, "Windows does it itself",
         lines::TrimNotAsked(top, "Windows does it itself"), 0},
        {ETrim::Failed, "Input/output error", lines::TrimFailed(top, "Input/output error"), 1},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.line);
        CRecordingHost host;
        CWipeEngine engine(m_files, host);
        CTrimResult trim;
        trim.m_eResult = test.result;
        trim.m_nBytes = 16 * kMiB;
        trim.m_strWhy = test.why;
        m_files.PretendTrim(trim);
        m_files.m_trims.clear();
        CVolumeSpace big = Space(kMiB, kMiB, true);
        big.m_nTotalBytes = (std::int64_t{9} << 30);  // three slices of 4 GiB, the last to the end
        m_files.PretendSpace({big, big, big, Space(0, 0, true)});
        m_files.StayFullFrom(3, ENOSPC);
        EXPECT_TRUE(RunWipeFreeSpace(engine, top));
        EXPECT_EQ(engine.WarningCount(), test.nWarnings);
        const std::vector<std::string>& lines = host.Lines();
        const auto end = std::find(lines.begin(), lines.end(), lines::FreeSpaceEnd(top));
        ASSERT_NE(end, lines.end());
        if (test.line.empty()) {
            EXPECT_FALSE(HasLineStartingWith(lines, "- The drive under"));
        } else {
            EXPECT_EQ(*(end - 1), test.line);  // after everything the run made is removed
        }
        const std::int64_t nSlice = std::int64_t{4} << 30;
        using Slices = std::vector<std::pair<std::int64_t, std::int64_t>>;
        EXPECT_EQ(m_files.m_trims, test.result == ETrim::Done
                                       ? (Slices{{0, nSlice}, {nSlice, nSlice}, {2 * nSlice, -1}})
                                       : (Slices{{0, nSlice}}));
    }
}

}  // namespace
}  // namespace quorrel::test

// Nothing outside what the user named is touched: swaps between listing and opening, hard
// links, kernel file systems, mount points, deep trees, literal names, unlistable folders.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "engine/runs/RecycleBinSummary.h"
#include "engine/runs/RunProgress.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/TrashSupport.h"

namespace quorrel::test {

namespace {

class WalkSafetyTest : public ::testing::Test {
protected:
    WalkSafetyTest() : m_engine(m_files, m_host) {
        MakeFolder(m_dir / "outside");
        WriteFile(m_dir / "outside/precious", "keep");
        MakeFolder(m_dir / "tree");
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
};

}  // namespace

// A file swapped for another between the sharing check and the write open: neither is
// written, the one now at the name keeps its contents, and the open names the entry.
TEST_F(WalkSafetyTest, AFileSwappedAfterTheSharingCheckIsLeftAlone) {
    const std::string file = m_dir / "tree/file";
    WriteFile(file, "secret");
    int nOpens = 0;
    m_files.BeforeOpen([&](const std::string& path) {
        if (path == file && ++nOpens == 2) {  // the write open, after the check
            ASSERT_EQ(::rename(file.c_str(), (file + "-moved").c_str()), 0);
            WriteFile(file, "other");
        }
    });
    EXPECT_EQ(m_engine.WipeFile(file, EWipeMode::Normal), EWipeOutcome::Failed);
    EXPECT_EQ(nOpens, 2);
    EXPECT_EQ(ReadFile(file), "other");
    EXPECT_EQ(ReadFile(file + "-moved"), "secret");
    ASSERT_FALSE(m_host.Lines().empty());
    EXPECT_EQ(m_host.Lines().back().rfind("* Error opening file " + file + ": ", 0), 0u)
        << m_host.Lines().back();
}

// Another process swaps an entry for a link to the outside right after the listing: the link
// is never followed, the outside keeps its contents and its mode, and the entry is named.
TEST_F(WalkSafetyTest, AnEntrySwappedForALinkAfterTheListingIsLeftAlone) {
    struct CCase {
        const char* name;
        bool bFolder;
    };
    for (const CCase& c : {CCase{"sub", true}, CCase{"file", false}}) {
        const std::string tree = m_dir / std::string("tree-") + c.name;
        const std::string entry = tree + "/" + c.name;
        const std::string target = c.bFolder ? m_dir / "outside" : m_dir / "outside/precious";
        MakeFolder(tree);
        if (c.bFolder) {
            MakeFolder(entry);
            WriteFile(entry + "/inner", "inner");
        } else {
            WriteFile(entry, "secret");
            SetMode(entry, 0444);  // the mode change is the first thing done to it
        }
        SetMode(m_dir / "outside/precious", 0444);
        bool bSwapped = false;
        m_files.BeforeOpen([&](const std::string& path) {
            if (path == entry && !bSwapped) {
                bSwapped = true;
                ASSERT_EQ(::rename(entry.c_str(), (tree + "-moved").c_str()), 0);
                ASSERT_EQ(::symlink(target.c_str(), entry.c_str()), 0);
            }
        });
        m_engine.WipeFolder(tree, EWipeMode::Normal);
        EXPECT_TRUE(bSwapped) << c.name;
        EXPECT_TRUE(HasLine(m_host.Lines(), "* " + entry +
                                                " was replaced while it was being "
                                                "shredded; it was left alone"))
            << c.name;
        EXPECT_EQ(ReadFile(m_dir / "outside/precious"), "keep") << c.name;
        EXPECT_EQ(ModeOf(m_dir / "outside/precious"), 0444u) << c.name;
        EXPECT_EQ(ListNames(m_dir / "outside"), std::vector<std::string>{"precious"});
    }
}

// A file with another name holds data that belongs to that name too: named or met in a walk,
// in either mode, it is refused as listed, before anything is done to it. A read-only one
// shows it: its mode and contents, which its other name shares, stay as they were.
TEST_F(WalkSafetyTest, AFileWithOtherNamesIsLeftAsItWasInBothModes) {
    const std::string tree = m_dir / "tree";
    const std::string path = tree / "linked";
    const std::string second = m_dir / "outside/second";
    WriteFile(path, "shared data");
    ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
    SetMode(path, 0444);
    const std::string refused = "* File " + path +
                                " has 2 names; its data belongs to the other names too, so it "
                                "was left as it was";
    for (const EWipeMode mode : {EWipeMode::Normal, EWipeMode::RecycleBin}) {
        m_host.ClearLines();
        EXPECT_EQ(m_engine.WipeFile(path, mode), EWipeOutcome::Failed);
        EXPECT_EQ(m_host.Lines(), std::vector<std::string>{refused});
        m_host.ClearLines();
        EXPECT_TRUE(m_engine.WipeFolder(tree, mode));
        const std::vector<std::string> walked =
            mode == EWipeMode::Normal ? std::vector<std::string>{"Wipeing folder " + tree, refused,
                                                                 "* Error removing folder " + tree}
                                      : std::vector<std::string>{refused};
        EXPECT_EQ(m_host.Lines(), walked);
        for (const std::string& name : {path, second}) {
            EXPECT_EQ(ReadFile(name), "shared data");
            EXPECT_EQ(ModeOf(name), 0444u);
        }
    }
    EXPECT_EQ(m_engine.FailureCount(), 5);
}

// A run killed between the link and the unlink of its rename (ntfs-3g's) leaves an emptied
// file under its own name and one of the run's random names: a later walk removes both, met in
// either order. A twin of another shape, or one holding data, is someone's: refused as before.
TEST_F(WalkSafetyTest, AnEmptiedFileAKilledRunLeftUnderTwoNamesIsFinished) {
    const std::string tree = m_dir / "tree";
    WriteFile(tree / "row-110", "");
    ASSERT_EQ(::link((tree / "row-110").c_str(), (tree / "aaaaaaaa.aaa").c_str()), 0);
    EXPECT_EQ(m_engine.WipeFile(tree / "aaaaaaaa.aaa", EWipeMode::Normal), EWipeOutcome::Destroyed);
    // Pairs enough that the walk meets both orders: the row first, and the random name first.
    const char* const randomNames[] = {"kqbfatsm.dec", "bcdefghi.jkl", "tttttttt.ttt",
                                       "abcdabcd.abc", "mnopqrst.mno", "hijklmno.pqr"};
    for (int i = 0; i < 6; ++i) {
        const std::string row = tree / ("row-" + std::to_string(200 + i));
        WriteFile(row, "");
        ASSERT_EQ(::link(row.c_str(), (tree / randomNames[i]).c_str()), 0);
    }
    EXPECT_TRUE(m_engine.WipeFolder(tree, EWipeMode::Normal));
    EXPECT_FALSE(Exists(tree));
    EXPECT_EQ(m_engine.FailureCount(), 0) << ::testing::PrintToString(m_host.Lines());

    MakeFolder(tree);
    WriteFile(tree / "kept", "");
    ASSERT_EQ(::link((tree / "kept").c_str(), (m_dir / "outside/other-name").c_str()), 0);
    WriteFile(tree / "full", "data");
    ASSERT_EQ(::link((tree / "full").c_str(), (tree / "bbbbbbbb.bbb").c_str()), 0);
    EXPECT_TRUE(m_engine.WipeFolder(tree, EWipeMode::Normal));
    EXPECT_EQ(ListNames(tree), (std::vector<std::string>{"bbbbbbbb.bbb", "full", "kept"}));
    EXPECT_EQ(ReadFile(tree / "full"), "data");
}

// Deep walks let their shallowest folders go and climb back to them through "..". A folder
// moved out of the tree meanwhile leads elsewhere: the walk stops there, and nothing beside
// the place it was moved to is removed, not even an empty folder of the name it climbs to.
TEST_F(WalkSafetyTest, AFolderMovedOutOfTheTreeMidWalkLeadsTheWalkNowhereElse) {
    std::string path = m_dir / "tree";
    std::string moved;
    for (std::size_t level = 1; level <= CFolderWalk::kMaxOpenFolders + 2; ++level) {
        path += "/d";
        MakeFolder(path);
        moved = level == 3 ? path : moved;  // its parent is let go by the time it is left
    }
    const std::string bottom = path + "/f";
    WriteFile(bottom, "secret");
    MakeFolder(m_dir / "outside/away");
    MakeFolder(m_dir / "outside/d");
    bool bMoved = false;
    m_host.AbortWhen([&] {
        if (!bMoved && !m_host.Lines().empty() &&
            m_host.Lines().back() == "Wipeing file " + bottom) {
            bMoved = ::rename(moved.c_str(), (m_dir / "outside/away/d").c_str()) == 0;
        }
        return false;
    });
    EXPECT_FALSE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    EXPECT_TRUE(bMoved);
    EXPECT_FALSE(Exists(bottom));
    EXPECT_EQ(m_host.Lines().back(),
              "* Folder " + moved.substr(0, moved.size() - 2) +
                  " moved while it was being shredded; the walk stops there");
    EXPECT_EQ(ListNames(m_dir / "outside"), (std::vector<std::string>{"away", "d", "precious"}));
    EXPECT_EQ(ListNames(m_dir / "outside/away"), std::vector<std::string>{"d"});
}

// A folder the list's rows name is swapped for a link to the outside between two rows: the
// rows after it are refused with the "replaced" line and never reached through the link, so
// the outside keeps its files and the folder, moved away, keeps the rows not shredded.
TEST_F(WalkSafetyTest, AListedFolderSwappedForALinkBetweenRowsIsNotReopenedThroughIt) {
    MakeFolder(m_dir / "d");
    for (const char* name : {"f1", "f2", "f3"}) {
        WriteFile(m_dir / "d" / name, "secret");
        WriteFile(m_dir / "outside" / name, "keep");
    }
    EXPECT_EQ(m_engine.WipeListItem(m_dir / "d/f1"), EWipeOutcome::Destroyed);
    ASSERT_EQ(::rename((m_dir / "d").c_str(), (m_dir / "d.real").c_str()), 0);
    ASSERT_EQ(::symlink((m_dir / "outside").c_str(), (m_dir / "d").c_str()), 0);
    for (const char* name : {"f2", "f3"}) {
        EXPECT_EQ(m_engine.WipeListItem(m_dir / "d" / name), EWipeOutcome::Failed);
        EXPECT_EQ(m_host.Lines().back(), "* " + m_dir / "d" / name +
                                             " was replaced while it was being shredded; it was "
                                             "left alone");
    }
    for (const char* name : {"f1", "f2", "f3"}) {
        EXPECT_EQ(ReadFile(m_dir / "outside" / name), "keep") << name;
    }
    EXPECT_EQ(ListNames(m_dir / "d.real"), (std::vector<std::string>{"f2", "f3"}));
}

// A file named again through another name of its folder (a link here, a bind mount alike) is
// known by the folder's identity: it is gone, said as such, and no failure.
TEST_F(WalkSafetyTest, AFileNamedAgainThroughAnotherNameOfItsFolderIsGone) {
    WriteFile(m_dir / "tree/f", "secret");
    ASSERT_EQ(::symlink((m_dir / "tree").c_str(), (m_dir / "alias").c_str()), 0);
    EXPECT_EQ(m_engine.WipeListItem(m_dir / "tree/f"), EWipeOutcome::Destroyed);
    EXPECT_EQ(m_engine.WipeListItem(m_dir / "alias/f"), EWipeOutcome::Destroyed);
    EXPECT_EQ(m_host.Lines().back(), m_dir / "alias/f" + " is gone: " + m_dir / "tree/f" +
                                         " was shredded earlier in this run");
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

// Kernel settings are not files: nothing on such a file system is written or changed.
TEST_F(WalkSafetyTest, KernelFileSystemsAreNeverWritten) {
    WriteFile(m_dir / "tree/setting", "1");
    SetMode(m_dir / "tree/setting", 0444);
    CVolumeFacts sysfs;
    sysfs.m_strType = "sysfs";
    sysfs.m_bPseudo = true;
    m_files.PretendVolume(sysfs);
    const std::string line =
        " is on a sysfs file system, which holds kernel settings, not files; "
        "nothing there is written";
    EXPECT_FALSE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    EXPECT_NE(m_engine.WipeFile(m_dir / "tree/setting", EWipeMode::Normal),
              EWipeOutcome::Destroyed);
    const std::vector<std::string> lines = {"* " + (m_dir / "tree") + line,
                                            "* " + (m_dir / "tree/setting") + line};
    EXPECT_EQ(m_host.Lines(), lines);
    EXPECT_EQ(ReadFile(m_dir / "tree/setting"), "1");
    EXPECT_EQ(ModeOf(m_dir / "tree/setting"), 0444u);

    // The real backend knows the real ones.
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> proc =
        SystemFileSystem().OpenParentOf("/proc/self/status", name, error);
    ASSERT_NE(proc, nullptr);
    EXPECT_TRUE(proc->GetVolume().m_bPseudo);
    EXPECT_EQ(proc->GetVolume().m_strType, "proc");
}

// Ten thousand folders deep, far past the system's path length: every file destroyed, every
// folder removed, with a bounded number of folders open at any time.
TEST_F(WalkSafetyTest, TenThousandFoldersDeepAreShreddedCompletely) {
    constexpr int kDepth = 10000;
    int fd = ::open((m_dir / "tree").c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 1; level <= kDepth; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        if (level == 1 || level == 5000 || level == kDepth) {
            const int file = ::openat(fd, "f", O_WRONLY | O_CREAT, 0644);
            ASSERT_EQ(::write(file, "secret", 6), 6);
            ::close(file);
        }
    }
    ::close(fd);
    // Only counted: the lines of so deep a tree run to hundreds of megabytes.
    class CCountingHost final : public IRunHost {
    public:
        void AddLine(const std::string& line) override {
            ++m_nLines;
            if (line.rfind("File ", 0) == 0 && line.find("/d/f successfuly deleted") != line.npos) {
                ++m_nFiles;
                int nOpen = 0;
                for (int probe = 0; probe < 4096; ++probe) {
                    nOpen += ::fcntl(probe, F_GETFD) >= 0 ? 1 : 0;
                }
                m_nMostOpen = std::max(m_nMostOpen, nOpen);
            }
        }
        bool IsAborted() override { return false; }
        int m_nLines = 0;
        int m_nFiles = 0;
        int m_nMostOpen = 0;
    } host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_TRUE(engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    EXPECT_EQ(engine.FailureCount(), 0);
    EXPECT_EQ(host.m_nFiles, 3);
    EXPECT_LT(host.m_nMostOpen, static_cast<int>(CFolderWalk::kMaxOpenFolders) + 32);
    EXPECT_FALSE(Exists(m_dir / "tree"));
}

// A name is the entry of that name; * and ? match only when no entry has the name itself.
// "." and ".." name folders by their relation and are refused, as rm refuses them.
TEST_F(WalkSafetyTest, NamesAreTakenLiterallyAndDotNamesAreRefused) {
    WriteFile(m_dir / "tree/report*", "literal");
    WriteFile(m_dir / "tree/report-2", "bystander");
    MakeFolder(m_dir / "tree/data?");
    WriteFile(m_dir / "tree/data?/inside", "secret");
    MakeFolder(m_dir / "tree/data1");
    WriteFile(m_dir / "tree/data1/keep", "keep");
    WriteFile(m_dir / "tree/only", "keep");
    for (const char* name : {"report*", "data?", "."}) {
        m_engine.WipeListItem(m_dir / "tree/" + std::string(name));
    }
    EXPECT_FALSE(m_engine.WipeFolder(m_dir / "tree/data1/..", EWipeMode::Normal));
    EXPECT_NE(m_engine.WipeListItem(m_dir / "tree/repo?t-2x"),
              EWipeOutcome::Destroyed);  // matches nothing
    EXPECT_EQ(ListNames(m_dir / "tree"), (std::vector<std::string>{"data1", "only", "report-2"}));
    EXPECT_EQ(ReadFile(m_dir / "tree/data1/keep"), "keep");
    const std::string refused = " names the current or the parent folder; it is never shredded";
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/.") + refused));
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/data1/..") + refused));
}

// A folder that cannot be listed is named, and keeps the mode it had.
TEST_F(WalkSafetyTest, AnUnlistableFolderIsNamedAndKeepsItsMode) {
    const std::string locked = m_dir / "tree/locked";
    MakeFolder(locked);
    WriteFile(locked + "/inside", "secret");
    SetMode(locked, 0);
    if (::geteuid() == 0) {
        m_files.FailOn(EFileOp::List, kCauseAccessDenied, 2);  // root may list anything
    }
    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    EXPECT_EQ(ModeOf(locked), 0u);
    EXPECT_TRUE(HasLine(m_host.Lines(), "* Error listing folder " + locked +
                                            ": Access to an unnamed file was denied."));
    EXPECT_TRUE(HasLine(m_host.Lines(), "* Error removing folder " + (m_dir / "tree")));
    SetMode(locked, 0755);
    EXPECT_EQ(ReadFile(locked + "/inside"), "secret");
}

// Another file system, or a bind mount of this one, inside the tree is not entered; a file
// bind-mounted into the tree is not shredded (that would empty the file outside); a folder
// the user names that is a mount point is their choice, and is walked.
TEST_F(WalkSafetyTest, AWalkStaysOnTheMountItWasGiven) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    MakeFolder(m_dir / "tree/mnt");
    MakeFolder(m_dir / "tree/bind");
    WriteFile(m_dir / "tree/file-bind", "");
    const CTestMount tmpfs("quorrel-test", m_dir / "tree/mnt", "tmpfs", 0, "size=1m");
    if (!tmpfs.IsMounted()) {
        GTEST_SKIP() << "this machine lets no tmpfs be mounted here";
    }
    const CTestMount bind(m_dir / "outside", m_dir / "tree/bind", nullptr, MS_BIND, "");
    const CTestMount fileBind(m_dir / "outside/precious", m_dir / "tree/file-bind", nullptr,
                              MS_BIND, "");
    ASSERT_TRUE(bind.IsMounted() && fileBind.IsMounted());
    ASSERT_EQ(ReadFile(m_dir / "tree/file-bind"), "keep");  // the bind mount is in place
    WriteFile(m_dir / "tree/mnt/other", "other volume");
    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    const std::string line = " is a mount point of another file system; the walk does not enter it";
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/mnt") + line));
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/bind") + line));
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/file-bind") + line));
    EXPECT_EQ(ReadFile(m_dir / "outside/precious"), "keep");
    EXPECT_EQ(ReadFile(m_dir / "tree/mnt/other"), "other volume");
    // A pattern's match is as if named, but `*` names no mount: refused as in a walk.
    EXPECT_EQ(m_engine.WipeListItem(m_dir / "tree/*"), EWipeOutcome::Failed);
    EXPECT_TRUE(HasLine(m_host.Lines(), "* " + (m_dir / "tree/mnt") + line));
    EXPECT_EQ(ReadFile(m_dir / "tree/mnt/other"), "other volume");
    EXPECT_EQ(ReadFile(m_dir / "outside/precious"), "keep");
    EXPECT_TRUE(m_engine.WipeFolder(m_dir / "tree/mnt", EWipeMode::Normal));  // named: walked
    EXPECT_TRUE(ListNames(m_dir / "tree/mnt").empty());
}

// What the count before a run and the bin question take in is what the run reaches: never
// another mount inside the tree, never what a link leads to.
TEST_F(WalkSafetyTest, CountsBeforeARunReachWhatTheRunReaches) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    std::string bin = m_dir.Path();
    for (const char* part : {"/home", "/.local", "/share", "/Trash", "/files", "/tree"}) {
        MakeFolder(bin += part);
    }
    bin.resize(bin.size() - std::strlen("/tree"));
    std::vector<std::unique_ptr<CTestMount>> mounts;
    for (const std::string& top : {m_dir / "tree", bin + "/tree"}) {
        MakeFolder(top + "/bind");
        WriteFile(top + "/ten", "0123456789");
        ASSERT_EQ(::symlink((m_dir / "outside").c_str(), (top + "/link").c_str()), 0);
        mounts.push_back(
            std::make_unique<CTestMount>(m_dir / "outside", top + "/bind", nullptr, MS_BIND, ""));
        ASSERT_TRUE(mounts.back()->IsMounted());
    }
    const CRunEstimate estimate = EstimateWork(m_files, {m_dir / "tree"});
    EXPECT_EQ(estimate.m_nFiles, 1);
    EXPECT_EQ(estimate.m_nBytes, 10);

    CTrashFacts facts;
    facts.m_strHome = m_dir / "home";
    facts.m_nUid = ::getuid();
    CTrashBins bins([&] { return facts; }, m_files);
    std::vector<CBinContents> found;
    ASSERT_TRUE(DescribeRecycleBins(m_files, bins, found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].m_nEntries, 1);
    EXPECT_EQ(found[0].m_nBytes, 10);
    EXPECT_TRUE(found[0].m_bAllCounted);
}

}  // namespace quorrel::test

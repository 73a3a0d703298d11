// Every way back to an entry is checked: a reopen through /proc, a name added while the file is
// written, a mode changed before a refusal, a kernel file mounted over a plain one, a name
// swapped before the rename or the delete, the modes an aborted deep walk gave its folders, and
// the folder a list run keeps from one entry for the next.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

std::string HardLinkedLine(const std::string& path) {
    return "* File " + path +
           " has 2 names; its data belongs to the other names too, so it was left as it was";
}

std::string ReplacedLine(const std::string& path) {
    return "* " + path + " was replaced while it was being shredded; it was left alone";
}

// Runs `body` in a child process with a mount namespace (and host name) of its own, so that
// what it mounts is seen by nobody else; the lines the child's run wrote come back in `lines`.
// False when the system gives no such namespace.
bool RunInPrivateMounts(const std::string& folder, const std::function<void(CRecordingHost&)>& body,
                        std::vector<std::string>& lines) {
    const std::string out = folder + "/child-lines";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS | CLONE_NEWUTS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(77);
        }
        CRecordingHost host;
        body(host);
        std::ofstream file(out);
        for (const std::string& line : host.Lines()) {
            file << line << '\n';
        }
        file.close();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::ifstream file(out);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Calls `at` when a given pass of a file starts (pass -1: when the read-back of the last pass
// starts): what another process does while it runs.
class CPassHookHost final : public CRecordingHost {
public:
    void OnPassStart(const std::string& path, int nPass, int nPasses) override {
        CRecordingHost::OnPassStart(path, nPass, nPasses);
        m_nPassesStarted = nPass + 1;
        m_nPasses = nPasses;
        if (nPass == m_nPass && m_at) {
            m_at();
        }
    }
    void SetProgressRange(std::int64_t nUpper) override {
        CRecordingHost::SetProgressRange(nUpper);
        if (m_nPass < 0 && m_nPassesStarted == m_nPasses && ++m_nRangesAfter == 2 && m_at) {
            m_at();  // the second range after the last pass began is the read-back's
        }
    }
    int m_nPass = 0;
    int m_nPassesStarted = 0;
    int m_nPasses = 0;
    int m_nRangesAfter = 0;
    std::function<void()> m_at;
};

// A list whose run calls `change` just before it asks for the row `path`: what another
// process does between two entries, whichever way the run hands them over.
class CChangeBeforePath final : public CRowList {
public:
    CChangeBeforePath(const std::vector<std::string>& paths, std::string path,
                      std::function<void()> change)
        : CRowList(paths), m_strPath(std::move(path)), m_change(std::move(change)) {}
    std::string GetItemPath(int nRow) override {
        std::string path = CRowList::GetItemPath(nRow);
        if (path == m_strPath && m_change) {
            std::exchange(m_change, nullptr)();
        }
        return path;
    }

private:
    std::string m_strPath;
    std::function<void()> m_change;
};

class TrustTest : public ::testing::Test {
protected:
    TrustTest() : m_engine(m_files, m_host) {
        MakeFolder(m_dir / "outside");
        WriteFile(m_dir / "outside/precious", "keep");
        MakeFolder(m_dir / "tree");
    }

    CTempDir m_dir;
    CPassHookHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
};

}  // namespace

// /proc is where an open entry is reached again (to write it, to read it back). A /proc that
// is not the kernel's own, or whose entry leads to another file, is never trusted: the file
// outside keeps its contents and its mode. Without a real /proc the file is still shredded,
// reached by its name and checked; with another process's descriptors in its place the entry
// is refused and keeps its read-only bit.
TEST_F(TrustTest, AReopenThroughAFakeProcNeverReachesAnotherFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting over /proc needs root";
    }
    const std::string outside = m_dir / "outside/precious";
    SetMode(outside, 0444);
    MakeFolder(m_dir / "fake-fd");  // every descriptor number leads to the outside file
    for (int fd = 0; fd < 256; ++fd) {
        ASSERT_EQ(::symlink(outside.c_str(), (m_dir / ("fake-fd/" + std::to_string(fd))).c_str()),
                  0);
    }
    for (const bool bProcOfOther : {false, true}) {
        SCOPED_TRACE(bProcOfOther);
        const std::string file = m_dir / "tree/victim";
        WriteFile(file, "secret data");
        SetMode(file, 0444);  // its mode changes, and it is written and read back
        std::vector<std::string> lines;
        const bool bRan = RunInPrivateMounts(
            m_dir.Path(),
            [&](CRecordingHost& host) {
                // Another process holding the outside file under every descriptor number.
                int ready[2] = {-1, -1};
                if (bProcOfOther &&
                    (::pipe(ready) != 0 || (ready[1] = ::fcntl(ready[1], F_DUPFD, 300)) < 0)) {
                    ::_exit(79);
                }
                const pid_t other = bProcOfOther ? ::fork() : 1;
                if (other == 0) {
                    for (int fd = 3; fd < 256; ++fd) {
                        ::dup2(::open(outside.c_str(), O_RDONLY), fd);
                    }
                    ::write(ready[1], "x", 1);
                    ::pause();
                    ::_exit(0);
                }
                char c = 0;
                if (bProcOfOther && ::read(ready[0], &c, 1) != 1) {
                    ::_exit(80);
                }
                const std::string fake =
                    bProcOfOther ? "/proc/" + std::to_string(other) + "/fd" : m_dir / "fake-fd";
                if (::mount(fake.c_str(), "/proc/self/fd", nullptr, MS_BIND, nullptr) != 0) {
                    ::_exit(78);
                }
                CWipeEngine engine(SystemFileSystem(), host);
                engine.SetVerify(true);
                engine.WipeFile(file, EWipeMode::Normal);
                if (bProcOfOther) {
                    ::kill(other, SIGKILL);
                    ::waitpid(other, nullptr, 0);
                }
            },
            lines);
        ASSERT_TRUE(bRan) << "no private mount namespace, or /proc/self/fd cannot be covered";
        EXPECT_EQ(ReadFile(outside), "keep");
        EXPECT_EQ(ModeOf(outside), 0444u);
        if (bProcOfOther) {
            EXPECT_TRUE(HasLine(lines, ReplacedLine(file))) << ::testing::PrintToString(lines);
            EXPECT_EQ(ReadFile(file), "secret data");
            EXPECT_EQ(ModeOf(file), 0444u);
        } else {
            EXPECT_TRUE(HasLine(lines, "File " + file + " successfuly deleted "))
                << ::testing::PrintToString(lines);
            EXPECT_FALSE(Exists(file));
        }
        ::unlink(file.c_str());
    }
}

// Without a real /proc the read-back reaches the file again by its name in its folder: a file
// moved into that name as the last pass is read back is never read in its place. The file
// cannot be verified, the line says so, and the file moved in keeps its contents.
TEST_F(TrustTest, WithoutProcTheReadBackNeverReadsAFileMovedIntoItsName) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting over /proc needs root";
    }
    MakeFolder(m_dir / "no-fd");  // over /proc/self/fd: no descriptor can be reached there
    const std::string file = m_dir / "tree/victim";
    const std::string other = m_dir / "tree/other";
    WriteFile(file, std::string(8192, 's'));
    WriteFile(other, std::string(8192, 'o'));
    std::vector<std::string> lines;
    const bool bRan = RunInPrivateMounts(
        m_dir.Path(),
        [&](CRecordingHost& host) {
            if (::mount((m_dir / "no-fd").c_str(), "/proc/self/fd", nullptr, MS_BIND, nullptr) !=
                0) {
                ::_exit(78);
            }
            CPassHookHost hooked;
            hooked.m_nPass = -1;
            hooked.m_at = [&] {
                if (std::rename(file.c_str(), (file + "-moved").c_str()) != 0 ||
                    std::rename(other.c_str(), file.c_str()) != 0) {
                    ::_exit(79);
                }
            };
            CWipeEngine engine(SystemFileSystem(), hooked);
            engine.SetVerify(true);
            engine.WipeFile(file, EWipeMode::Normal);
            for (const std::string& line : hooked.Lines()) {
                host.AddLine(line);
            }
        },
        lines);
    ASSERT_TRUE(bRan) << "no private mount namespace, or /proc/self/fd cannot be covered";
    const std::string unverified = "* Error verifying file " + file + ": ";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.rfind(unverified, 0) == 0;
    })) << ::testing::PrintToString(lines);
    EXPECT_EQ(ReadFile(file), std::string(8192, 'o'));
}

// A name made for the file after the listing (right before the first write, between two
// passes, or while the last pass is read back) stops the run on that file at once: the line
// says it has two names, and the file is never cut, so the other name keeps its length (and,
// before any write, its contents).
TEST_F(TrustTest, ANameAddedWhileTheFileIsShreddedStopsItUncut) {
    m_engine.SetWipeMethod(1);  // three passes
    m_engine.SetVerify(true);
    for (const int nPass : {0, 1, -1}) {
        SCOPED_TRACE(nPass);
        const std::string file = m_dir / "tree/file";
        const std::string other = m_dir / "outside/other-name";
        WriteFile(file, "shared secret");
        m_host.m_nPass = nPass;
        m_host.m_nPassesStarted = 0;
        m_host.m_nRangesAfter = 0;
        m_host.m_at = [&] { ASSERT_EQ(::link(file.c_str(), other.c_str()), 0); };
        EXPECT_EQ(m_engine.WipeFile(file, EWipeMode::Normal), EWipeOutcome::Failed);
        EXPECT_EQ(m_host.Lines().back(), HardLinkedLine(file));
        EXPECT_EQ(ReadFile(other).size(), 13u);
        if (nPass == 0) {
            EXPECT_EQ(ReadFile(other), "shared secret");
        }
        ::unlink(file.c_str());
        ::unlink(other.c_str());
    }
}

// A walk refuses before it changes anything: a read-only file with another name keeps its mode
// (the other name's too). A read-only file the walk made writable and then could not shred (a
// lock held elsewhere) gets its read-only bit back.
TEST_F(TrustTest, AFileTheRunDoesNotFinishKeepsTheModeItHad) {
    WriteFile(m_dir / "tree/linked", "shared");
    SetMode(m_dir / "tree/linked", 0444);
    ASSERT_EQ(::link((m_dir / "tree/linked").c_str(), (m_dir / "outside/second").c_str()), 0);
    WriteFile(m_dir / "tree/held", "held");
    SetMode(m_dir / "tree/held", 0444);
    {
        CHeldFile held(m_dir / "tree/held");
        ASSERT_TRUE(held.IsHeld());
        EXPECT_TRUE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    }
    EXPECT_TRUE(HasLine(m_host.Lines(), HardLinkedLine(m_dir / "tree/linked")));
    EXPECT_EQ(ModeOf(m_dir / "outside/second"), 0444u);
    EXPECT_EQ(ReadFile(m_dir / "outside/second"), "shared");
    EXPECT_EQ(ModeOf(m_dir / "tree/held"), 0444u);
    EXPECT_EQ(ReadFile(m_dir / "tree/held"), "held");
    // The file layer itself never changes the mode of a file with other names.
    EXPECT_FALSE(CPathOps(SystemFileSystem()).SetAttributes(m_dir / "tree/linked", 0));
    EXPECT_EQ(ModeOf(m_dir / "outside/second"), 0444u);
}

// A kernel setting mounted over a plain file is a kernel setting: it is told by the entry's own
// file system, never written, and its value stays.
TEST_F(TrustTest, AKernelFileBindMountedOverAPlainFileIsNeverWritten) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    const std::string file = m_dir / "tree/h";
    WriteFile(file, "plain");
    std::vector<std::string> lines;
    std::string before;
    std::string after;
    const bool bRan = RunInPrivateMounts(
        m_dir.Path(),
        [&](CRecordingHost& host) {
            if (::mount("/proc/sys/kernel/hostname", file.c_str(), nullptr, MS_BIND, nullptr) !=
                0) {
                ::_exit(78);
            }
            before = ReadFile("/proc/sys/kernel/hostname");
            CWipeEngine engine(SystemFileSystem(), host);
            engine.WipeFile(file, EWipeMode::Normal);
            engine.WipeFile(file, EWipeMode::RecycleBin);
            after = ReadFile("/proc/sys/kernel/hostname");
            host.AddLine(before == after ? "unchanged" : "changed");
        },
        lines);
    ASSERT_TRUE(bRan);
    const std::string refused = "* " + file +
                                " is on a proc file system, which holds kernel settings, not "
                                "files; nothing there is written";
    EXPECT_EQ(lines, (std::vector<std::string>{refused, refused, "unchanged"}));
    EXPECT_EQ(ReadFile(file), "plain");
}

// Between the passes and the rename, and between the rename and the delete, another process
// may put something else at the name: that is never renamed or deleted, and the run says so.
TEST_F(TrustTest, AnEntrySwappedBeforeItsRenameOrDeleteIsLeftAlone) {
    struct SCase {
        const char* name;
        int nCall;   // the name change before which the swap comes (1 rename, 2 delete)
        bool bLink;  // listed as a link, swapped for a real folder
    };
    for (const SCase& test :
         {SCase{"file", 1, false}, SCase{"file2", 2, false}, SCase{"link", 1, true}}) {
        SCOPED_TRACE(test.name);
        const std::string path = m_dir / "tree" / test.name;
        if (test.bLink) {
            ASSERT_EQ(::symlink("nowhere", path.c_str()), 0);
        } else {
            WriteFile(path, "secret");
        }
        int nCalls = 0;
        m_files.BeforeNameChange([&](const std::string& at) {
            if (++nCalls != test.nCall) {
                return;
            }
            ASSERT_EQ(::rename(at.c_str(), (m_dir / "outside/moved").c_str()), 0);
            if (test.bLink) {
                MakeFolder(at);
                WriteFile(at + "/inner", "inner");
            } else {
                WriteFile(at, "other");
            }
        });
        m_host.ClearLines();
        EXPECT_EQ(m_engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Failed);
        EXPECT_EQ(m_host.Lines().back(), ReplacedLine(path));
        const std::string at = test.nCall == 1 ? path : m_dir / "tree";
        if (test.bLink) {
            EXPECT_EQ(ReadFile(path + "/inner"), "inner");
        } else if (test.nCall == 1) {
            EXPECT_EQ(ReadFile(path), "other");
        } else {
            EXPECT_EQ(ListNames(m_dir / "tree").size(), 1u);  // the other entry, where it was put
        }
        ::system(
            ("rm -rf '" + m_dir.Path() + "/tree'/* '" + m_dir.Path() + "/outside/moved'").c_str());
    }
}

// Cancel deep in a tree far deeper than the folders a walk holds open: every folder the walk
// opened up gets its mode back, those it had let go of too.
TEST_F(TrustTest, AnAbortedDeepWalkGivesEveryFolderItsModeBack) {
    constexpr int kDepth = static_cast<int>(CFolderWalk::kMaxOpenFolders) + 40;
    std::vector<std::string> folders;
    std::string path = m_dir / "tree";
    for (int level = 0; level < kDepth; ++level) {
        path += "/d";
        MakeFolder(path);
        folders.push_back(path);
    }
    WriteFile(path + "/f", "secret");
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        SetMode(*folder, 0500);  // no write bit: the walk has to open each one up
    }
    m_host.AbortWhen([this] {
        return std::count_if(m_host.Lines().begin(), m_host.Lines().end(),
                             [](const std::string& line) {
                                 return line.rfind("Wipeing folder ", 0) == 0;
                             }) >= kDepth - 5;
    });
    EXPECT_FALSE(m_engine.WipeFolder(m_dir / "tree", EWipeMode::Normal));
    for (const std::string& folder : folders) {
        ASSERT_EQ(ModeOf(folder), 0500u) << folder;
    }
    EXPECT_EQ(ReadFile(path + "/f"), "secret");
    for (const std::string& folder : folders) {
        SetMode(folder, 0700);
    }
}

// The folder kept from one list entry stands for the next entry's folder only while that
// entry's path still leads to it: a folder renamed and replaced between the two, or covered by
// a read-only mount of itself, is reached as the path leads now.
TEST_F(TrustTest, AListEntryIsLookedForWhereItsPathLeadsNow) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    struct CCase {
        const char* name;
        std::function<bool(const std::string&)> change;  // false when it could not be made
        bool bShredded;  // the second entry, where its path leads now, is destroyed
    };
    const CCase cases[] = {
        {"replaced",
         [](const std::string& folder) {
             return ::rename(folder.c_str(), (folder + "-moved").c_str()) == 0 &&
                    ::mkdir(folder.c_str(), 0755) == 0 && (WriteFile(folder / "b", "new"), true);
         },
         true},
        {"read-only",
         [](const std::string& folder) {
             return ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                    ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                            nullptr) == 0;
         },
         false},
    };
    for (const int nFiles : {1, 8}) {  // one at a time, and files in flight
        for (const CCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", files in flight: " + std::to_string(nFiles));
            const std::string folder =
                m_dir / ("tree/" + std::string(c.name) + "-" + std::to_string(nFiles));
            MakeFolder(folder);
            WriteFile(folder / "a", "a");
            WriteFile(folder / "b", "old");
            std::vector<std::string> lines;
            const bool bRan = RunInPrivateMounts(
                m_dir.Path(),
                [&](CRecordingHost& host) {
                    CChangeBeforePath list({folder / "a", folder / "b"}, folder / "b", [&] {
                        if (!c.change(folder)) {
                            ::_exit(81);
                        }
                    });
                    CWipeEngine engine(SystemFileSystem(), host);
                    engine.SetFilesInFlight(nFiles);
                    RunWipeSelected(engine, list);
                },
                lines);
            ASSERT_TRUE(bRan) << "no private mount namespace, or the change could not be made";
            const std::string b = folder / "b";
            if (c.bShredded) {
                EXPECT_FALSE(Exists(b));
                EXPECT_EQ(ReadFile(folder + "-moved/b"), "old");
            } else {
                EXPECT_EQ(ReadFile(b), "old");
                EXPECT_TRUE(HasLine(
                    lines, "* Error opening file " + b + ": Access to " + b + " was denied."))
                    << ::testing::PrintToString(lines);
            }
        }
    }
}

// Once a list run has ended no folder of its entries stays open: a stick could not be
// unmounted, nor (on Windows) a folder renamed.
TEST_F(TrustTest, AListRunLeavesNoFolderOpen) {
    const std::filesystem::path tree = std::filesystem::canonical(m_dir / "tree");
    for (const int nFiles : {1, 8}) {
        SCOPED_TRACE(nFiles);
        WriteFile(m_dir / "tree/a", "a");
        WriteFile(m_dir / "tree/b", "b");
        CRowList list({m_dir / "tree/a", m_dir / "tree/b", m_dir / "tree/none"});
        m_engine.SetFilesInFlight(nFiles);
        RunWipeSelected(m_engine, list);
        ASSERT_EQ(list.Rows(), std::vector<std::string>{"-" + (m_dir / "tree/none")});
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            EXPECT_NE(std::filesystem::read_symlink(fd.path(), error), tree) << fd.path();
        }
    }
}

}  // namespace quorrel::test

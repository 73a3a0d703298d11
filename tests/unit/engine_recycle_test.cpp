// WIPE Recycle Bin over trash folders built in temporary homes and mount folders: entries
// overwritten in place and then emptied, the order of the bins, missing and unreadable bins,
// a failing entry, Cancel, and the lines of the run.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "engine/runs/RecycleBinRun.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/TrashSupport.h"

namespace quorrel::test {

namespace {

const char kStartLine[] = "- Start shredding recycle bin.";
const char kAbortLine[] =
    "* Shredding recycle bin is aborted. Some files may be corupt when restored.";

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    const auto found = std::find(lines.begin(), lines.end(), line);
    EXPECT_NE(found, lines.end()) << "missing line: " << line;
    return static_cast<std::size_t>(found - lines.begin());
}

// "- Time: N seconds." with N a whole number.
bool IsTimeLine(const std::string& line) {
    const std::string head = "- Time: ";
    const std::string tail = " seconds.";
    if (line.size() <= head.size() + tail.size() || line.compare(0, head.size(), head) != 0 ||
        line.compare(line.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    const std::string number = line.substr(head.size(), line.size() - head.size() - tail.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

std::string Shredded(const std::string& path) {
    return "File " + path + " successfuly shreded frm recykle bin ";
}

// A home with its trash and two mounted "volumes", all in one temporary folder; the locator
// sees only these.
class RecycleRunTest : public ::testing::Test {
protected:
    RecycleRunTest()
        : m_bins([this] { return m_facts; }, m_files),
          m_watched(m_bins),
          m_engine(m_files, m_host) {
        m_engine.SetClock([this] { return m_nNow++; });
        MakeFolder(m_dir / "home");
        MakeFolder(m_dir / "vol1");
        MakeFolder(m_dir / "vol2");
        m_facts.m_strHome = m_dir / "home";
        m_facts.m_nUid = ::getuid();
        m_facts.m_mounts = {LocalMount(m_dir / "vol2"), LocalMount(m_dir / "vol1")};
        m_homeTrash = m_dir / "home/.local/share/Trash";
        const std::string uid = std::to_string(::getuid());
        m_vol1Trash = m_dir / ("vol1/.Trash-" + uid);
        m_vol2Trash = m_dir / ("vol2/.Trash-" + uid);
        MakeFolder(m_dir / "home/.local");
        MakeFolder(m_dir / "home/.local/share");
    }

    bool Run() { return RunWipeRecycleBin(m_engine, m_watched); }
    const std::vector<std::string>& Lines() const { return m_host.Lines(); }

    CTempDir m_dir;
    CTrashFacts m_facts;
    CTrashBins m_bins;
    CWatchedBins m_watched;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
    std::int64_t m_nNow = 500;
    std::string m_homeTrash;
    std::string m_vol1Trash;
    std::string m_vol2Trash;
};

}  // namespace

TEST_F(RecycleRunTest, EntriesAreOverwrittenInPlaceThenEveryBinIsEmptied) {
    PutInTrash(m_homeTrash, "letter.txt", "dear bank, my pin is 1234");
    PutInTrash(m_vol1Trash, "photo.jpg", std::string(70000, 'p'));
    MakeFolder(m_vol1Trash + "/files/album");
    MakeFolder(m_vol1Trash + "/files/album/deeper");
    WriteFile(m_vol1Trash + "/files/album/deeper/a.jpg", "aaaa");
    WriteFile(m_vol1Trash + "/info/album.trashinfo", "[Trash Info]\n");
    WriteFile(m_vol1Trash + "/directorysizes", "4 1700000000 album\n");
    m_engine.SetWipeMethod(0);

    EXPECT_TRUE(Run());

    const std::string homeFiles = m_homeTrash + "/files/";
    const std::string vol1Files = m_vol1Trash + "/files/";
    const std::vector<std::string>& lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), kStartLine);
    EXPECT_TRUE(IsTimeLine(lines.back())) << lines.back();
    // home first, then the volumes in mount-point order; the missing vol2 bin is reported
    const std::size_t nHome =
        IndexOf(lines, "Shredding resycle bin file " + homeFiles + "letter.txt");
    EXPECT_EQ(lines[nHome + 1], Shredded(homeFiles + "letter.txt"));
    const std::size_t nAlbum =
        IndexOf(lines, "Shredding resycle bin folder " + vol1Files + "album");
    IndexOf(lines, Shredded(vol1Files + "album/deeper/a.jpg"));
    const std::size_t nPhoto =
        IndexOf(lines, "Shredding resycle bin file " + vol1Files + "photo.jpg");
    const std::size_t nMissing =
        IndexOf(lines, "* Error: Could not access " + m_vol2Trash + "/files/");
    EXPECT_LT(nHome, std::min(nAlbum, nPhoto));
    EXPECT_LT(std::max(nAlbum, nPhoto), nMissing);
    EXPECT_EQ(m_engine.FailureCount(), 0);  // a bin never used is no failure
    // no wipe-file or removal line: nothing renamed, truncated or removed before emptying
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("Wipeing", 0), std::string::npos) << line;
    }
    // at emptying time every entry was there, overwritten at full length
    EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[homeFiles + "letter.txt"], 25));
    EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[vol1Files + "photo.jpg"], 70000));
    EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[vol1Files + "album/deeper/a.jpg"], 4));
    EXPECT_EQ(m_watched.m_emptied, (std::vector<std::string>{m_homeTrash, m_vol1Trash}));
    // and then nothing of it was left, bookkeeping included
    for (const std::string& trash : {m_homeTrash, m_vol1Trash}) {
        EXPECT_TRUE(ListNames(trash + "/files").empty()) << trash;
        EXPECT_TRUE(ListNames(trash + "/info").empty()) << trash;
        EXPECT_FALSE(Exists(trash + "/directorysizes")) << trash;
    }
    EXPECT_FALSE(Exists(m_vol2Trash));  // a missing bin is not made
}

TEST_F(RecycleRunTest, AFailingEntryDoesNotKeepTheNextOnesFromBeingShredded) {
    for (const char* name : {"a", "b", "c", "d"}) {
        PutInTrash(m_homeTrash, name, std::string("secret ") + name);
    }
    const std::string files = m_homeTrash + "/files/";
    // The entry the listing yields first is made read-only: recycle-bin mode leaves attributes
    // alone, so its open fails, and every other entry comes after it.
    std::vector<CDirEntry> listed;
    ASSERT_TRUE(CPathOps(m_files).ListFolder(files, listed));
    std::string first;
    for (const CDirEntry& entry : listed) {
        if (first.empty() && entry.m_strName != "." && entry.m_strName != "..") {
            first = entry.m_strName;
        }
    }
    SetMode(files + first, 0444);

    EXPECT_FALSE(Run());

    const std::vector<std::string>& lines = Lines();
    std::size_t nError = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("* Error opening file " + files + first + ": ", 0) == 0) {
            nError = i;
        }
    }
    ASSERT_LT(nError, lines.size());
    EXPECT_EQ(lines[nError - 1], "Shredding resycle bin file " + files + first);
    for (const char* name : {"a", "b", "c", "d"}) {
        if (name == first) {
            continue;
        }
        EXPECT_GT(IndexOf(lines, Shredded(files + name)), nError) << name;
        EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[files + name], 8)) << name;
    }
    EXPECT_EQ(m_watched.m_contentAtEmptying[files + first], "secret " + first);
    // the bin is emptied all the same, and the entry that went unshredded is named again
    EXPECT_TRUE(ListNames(m_homeTrash + "/files").empty());
    EXPECT_TRUE(HasLine(lines, "* " + files + first +
                                   " was removed from the recycle bin without being "
                                   "overwritten: its contents may remain on the disk"));
    EXPECT_EQ(m_engine.FailureCount(), 2);
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Failed);
}

// Cancel in the middle of a file of the second of three bins: that bin is not emptied, its
// entries stay as they are (the one in progress at its full length), the abort line says so,
// and a later run reaches every entry left.
TEST_F(RecycleRunTest, CancelEmptiesNothingMoreAndALaterRunReachesEveryEntryLeft) {
    const std::size_t nBig = 3 * CPassWriter::kChunkBytes + 5;
    PutInTrash(m_homeTrash, "one", "1111");
    PutInTrash(m_vol1Trash, "two-a", std::string(nBig, 'a'));
    PutInTrash(m_vol1Trash, "two-b", std::string(nBig, 'b'));
    PutInTrash(m_vol2Trash, "three", "3333");
    m_engine.SetWipeMethod(0);
    const std::string second = "Shredding resycle bin file " + m_vol1Trash + "/files/";
    m_host.AbortWhen([this, second] {  // once the first chunk of the second bin is written
        return m_host.m_nPosition > 0 &&
               std::any_of(Lines().begin(), Lines().end(),
                           [&](const std::string& l) { return l.rfind(second, 0) == 0; });
    });

    EXPECT_FALSE(Run());

    const std::vector<std::string>& lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], kAbortLine);  // right before the time line
    EXPECT_EQ(m_watched.m_emptied, std::vector<std::string>{m_homeTrash});
    // both entries of the second bin stay, at full length; one was begun, one not touched
    const std::string a = ReadFile(m_vol1Trash + "/files/two-a");
    const std::string b = ReadFile(m_vol1Trash + "/files/two-b");
    ASSERT_EQ(a.size(), nBig);
    ASSERT_EQ(b.size(), nBig);
    const bool bBegunA = a.front() == '\0';
    EXPECT_NE(bBegunA, b.front() == '\0');
    EXPECT_EQ((bBegunA ? a : b).back(), bBegunA ? 'a' : 'b');
    EXPECT_EQ(bBegunA ? b : a, std::string(nBig, bBegunA ? 'b' : 'a'));
    EXPECT_EQ(ListNames(m_vol1Trash + "/info"),
              (std::vector<std::string>{"two-a.trashinfo", "two-b.trashinfo"}));
    EXPECT_EQ(ReadFile(m_vol2Trash + "/files/three"), "3333");

    CRecordingHost laterHost;
    CWipeEngine later(m_files, laterHost);
    later.SetWipeMethod(0);
    m_watched.m_contentAtEmptying.clear();
    EXPECT_TRUE(RunWipeRecycleBin(later, m_watched));
    for (const std::string& file : {m_vol1Trash + "/files/two-a", m_vol1Trash + "/files/two-b"}) {
        EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[file], nBig)) << file;
    }
    EXPECT_TRUE(IsZeros(m_watched.m_contentAtEmptying[m_vol2Trash + "/files/three"], 4));
    for (const std::string& trash : {m_homeTrash, m_vol1Trash, m_vol2Trash}) {
        EXPECT_TRUE(ListNames(trash + "/files").empty()) << trash;
        EXPECT_TRUE(ListNames(trash + "/info").empty()) << trash;
    }
}

// The emptying's answer is checked, and so is the bin after it, whatever the answer was.
TEST_F(RecycleRunTest, AnEmptyingThatFailsOrLiesFailsTheRunForEveryEntryLeft) {
    struct CCase {
        EEmptying emptying;
        bool bSaysFailed;
        bool bEntriesLeft;
    };
    const std::string files = m_homeTrash + "/files/";
    for (const CCase& c : {CCase{EEmptying::Fails, true, true}, CCase{EEmptying::Lies, false, true},
                           CCase{EEmptying::FailsLate, true, false}}) {
        SCOPED_TRACE(static_cast<int>(c.emptying));
        m_host.ClearLines();
        PutInTrash(m_homeTrash, "a", "secret a");
        PutInTrash(m_homeTrash, "b", "secret b");
        m_watched.m_emptying = c.emptying;
        const int nFailures = m_engine.FailureCount();

        EXPECT_FALSE(Run());

        const std::string failed =
            "* Error emptying the recycle bin " + files + ": the system reports it failed";
        EXPECT_EQ(HasLine(Lines(), failed), c.bSaysFailed);
        for (const char* name : {"a", "b"}) {
            EXPECT_EQ(HasLine(Lines(),
                              "* " + files + name + " is still in the recycle bin after emptying"),
                      c.bEntriesLeft)
                << name;
        }
        EXPECT_EQ(m_engine.FailureCount() - nFailures,
                  (c.bSaysFailed ? 1 : 0) + (c.bEntriesLeft ? 2 : 0));
        EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Failed);
    }
}

TEST_F(RecycleRunTest, NoTrashLocationAtAll) {
    m_facts.m_strHome.clear();
    m_facts.m_mounts.clear();
    EXPECT_FALSE(Run());
    EXPECT_EQ(Lines(), std::vector<std::string>{"* Can't get drive info!"});
    EXPECT_TRUE(m_host.m_events.empty());  // no run protocol: no dialog, nothing disabled
}

TEST_F(RecycleRunTest, ABinThatExistsButCannotBeReadIsAFailureAndIsNotEmptied) {
    PutInTrash(m_homeTrash, "kept", "kept secret");
    m_files.FailOn(EFileOp::List, 5);  // the home bin's listing is refused
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_engine.FailureCount(), 1);
    EXPECT_TRUE(HasLine(Lines(), "* Error: Could not access " + m_homeTrash + "/files/"));
    EXPECT_EQ(ReadFile(m_homeTrash + "/files/kept"), "kept secret");
    EXPECT_EQ(ListNames(m_homeTrash + "/info"), std::vector<std::string>{"kept.trashinfo"});
}

// Between the scan and the shredding another user who may write at the top of a volume puts a
// link to a folder of theirs (with files/ and info/) where a trash folder is, or was not, or
// moves that folder itself there in place of the trash folder the scan found: the run never
// follows it, neither shreds nor empties what it leads to, says so, and fails.
TEST_F(RecycleRunTest, ATrashFolderPlantedAfterTheScanIsNeverFollowed) {
    MakeFolder(m_dir / "victim");
    PutInTrash(m_dir / "victim", "precious", "not the user's");
    struct SCase {
        bool bExistedAtScan;
        bool bFolderItself;  // the victim's folder is moved in, not linked
    };
    for (const SCase& test : {SCase{false, false}, SCase{true, false}, SCase{true, true}}) {
        SCOPED_TRACE(::testing::Message() << test.bExistedAtScan << test.bFolderItself);
        const bool bExistedAtScan = test.bExistedAtScan;
        m_host.ClearLines();
        if (bExistedAtScan) {
            PutInTrash(m_vol1Trash, "own", "the user's own");
        }
        // Stands in for the bins and plants the link right before vol1's bin is used.
        class CPlantingBins final : public IRecycleBins {
        public:
            CPlantingBins(IRecycleBins& bins, std::function<void(const std::string&)> plant)
                : m_bins(bins), m_plant(std::move(plant)) {}
            EBinAccess Open() override { return m_bins.Open(); }
            void Close() override { m_bins.Close(); }
            bool Scan(std::vector<CBinLocation>& bins) override { return m_bins.Scan(bins); }
            bool BinFolder(const CBinLocation& bin, std::string& folder) override {
                m_plant(bin.m_strRoot);
                return m_bins.BinFolder(bin, folder);
            }
            std::unique_ptr<IFolder> OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                                   const std::string& folder,
                                                   EBinOpen& state) override {
                return m_bins.OpenBinFolder(fs, bin, folder, state);
            }
            bool IsBookkeeping(const std::string& name) const override {
                return m_bins.IsBookkeeping(name);
            }
            bool Empty(const CBinLocation& bin) override { return m_bins.Empty(bin); }

        private:
            IRecycleBins& m_bins;
            std::function<void(const std::string&)> m_plant;
        } planting(m_watched, [&](const std::string& root) {
            if (root == m_vol1Trash) {
                if (bExistedAtScan) {
                    const std::string moved =
                        m_dir / ("vol1/moved" + std::to_string(test.bFolderItself));
                    ASSERT_EQ(::rename(root.c_str(), moved.c_str()), 0);
                }
                if (test.bFolderItself) {
                    ASSERT_EQ(::rename((m_dir / "victim").c_str(), root.c_str()), 0);
                } else {
                    ASSERT_EQ(::symlink((m_dir / "victim").c_str(), root.c_str()), 0);
                }
            }
        });
        EXPECT_FALSE(RunWipeRecycleBin(m_engine, planting));
        if (test.bFolderItself) {
            ASSERT_EQ(::rename(m_vol1Trash.c_str(), (m_dir / "victim").c_str()), 0);
        }
        EXPECT_TRUE(HasLine(Lines(), "* " + m_vol1Trash +
                                         " changed after the recycle bins were looked for; it "
                                         "was neither followed nor emptied"));
        EXPECT_EQ(ReadFile(m_dir / "victim/files/precious"), "not the user's");
        EXPECT_EQ(ListNames(m_dir / "victim/info"), std::vector<std::string>{"precious.trashinfo"});
        for (const std::string& line : Lines()) {
            EXPECT_EQ(line.find("Shredding resycle bin file " + m_vol1Trash), std::string::npos);
        }
        ::unlink(m_vol1Trash.c_str());
    }
}

// A volume's trash folder that bears the user's number but belongs to another user (who made
// it at the top of a volume anyone may write to) is not the user's bin: it is neither shredded
// nor emptied.
TEST_F(RecycleRunTest, ATrashFolderOfAnotherUsersIsLeftAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    PutInTrash(m_homeTrash, "own", "the user's own");
    PutInTrash(m_vol1Trash, "theirs", "not the user's");
    const uid_t nOther = ::getuid() + 4242;
    ASSERT_EQ(::chown(m_vol1Trash.c_str(), nOther, nOther), 0);

    Run();

    EXPECT_EQ(ReadFile(m_vol1Trash + "/files/theirs"), "not the user's");
    EXPECT_EQ(ListNames(m_vol1Trash + "/info"), std::vector<std::string>{"theirs.trashinfo"});
    for (const std::string& line : Lines()) {
        EXPECT_EQ(line.find(m_vol1Trash), std::string::npos) << line;
    }
    EXPECT_TRUE(HasLine(Lines(), Shredded(m_homeTrash + "/files/own")));
}

TEST_F(RecycleRunTest, RunProtocolAndTheFirstCheckBeforeAnyBin) {
    PutInTrash(m_homeTrash, "x", "x");
    m_host.AbortAtCheck(1);  // Cancel before the first bin
    EXPECT_FALSE(Run());
    EXPECT_EQ(Lines().size(), 3u);
    EXPECT_EQ(Lines()[0], kStartLine);
    EXPECT_EQ(Lines()[1], kAbortLine);
    EXPECT_EQ(ReadFile(m_homeTrash + "/files/x"), "x");
    EXPECT_TRUE(m_watched.m_emptied.empty());
    ASSERT_GE(m_host.m_events.size(), 2u);
    EXPECT_EQ(m_host.m_events.front(), "begin");
    EXPECT_EQ(m_host.m_events.back(), "end");
}

}  // namespace quorrel::test

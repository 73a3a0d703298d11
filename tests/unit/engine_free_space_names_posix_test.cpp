// WIPE Free Space's names step over a temporary folder that stands for the top of a volume:
// what becomes of each kind of journal (written over by as many changes as its size takes,
// or named in a warning), fillers a killed run left (removed, and nothing else), Cancel while
// the journal is written over (nothing stays); and a plain run's in-place rename on FAT.
#include <algorithm>

#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/file/NameTraces.h"
#include "engine/freespace/FreeSpaceRun.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

constexpr std::int64_t kKiB = 1024;

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) {
            return true;
        }
    }
    return false;
}

CJournalFacts Journal(EJournal kind, std::int64_t nBytes = 0, std::int64_t nMinChange = 0,
                      bool bHead = false, EJournalWhy why = EJournalWhy::None) {
    CJournalFacts journal;
    journal.m_eKind = kind;
    journal.m_nBytes = nBytes;
    journal.m_nMinChangeBytes = nMinChange;
    journal.m_bHasHead = bHead;
    journal.m_eWhy = why;
    return journal;
}

class FreeSpaceNamesTest : public ::testing::Test {
protected:
    FreeSpaceNamesTest() : m_engine(m_files, m_host) {
        m_files.PretendVolumeTop(m_dir.Path());
        CVolumeSpace free;
        free.m_nBlockBytes = 4096;
        free.m_nTotalBytes = 64 * 1024 * kKiB;
        free.m_bMayUseReserve = true;
        m_files.PretendSpace({free});  // nothing free: the fill ends at once
        m_files.StayFullFrom(1);
        m_engine.SetClock([] { return std::int64_t{7}; });
        WriteFile(m_dir / "kept.txt", "someone's file");
    }
    bool Run() { return RunWipeFreeSpace(m_engine, m_dir.Path()); }
    bool Logged(const std::string& start) const {
        return HasLineStartingWith(m_host.Lines(), start);
    }

    CTempDir m_dir;
    CFakeFileSystem m_files;
    CRecordingHost m_host;
    CWipeEngine m_engine;
};

}  // namespace

// Every kind of journal: the known ones are written over by as many changes as their size
// takes (by the least a change writes, or by the head where it is told), the others are named
// in a warning. Every filler goes again.
TEST_F(FreeSpaceNamesTest, JournalIsWrittenOverByItsSizeOrNamed) {
    struct SCase {
        CJournalFacts journal;
        std::int64_t nHeadStep;
        std::string line;  // after the top's path
        bool bWarned;
    };
    const std::string top = m_dir.Path();
    const SCase cases[] = {
        {Journal(EJournal::None), 0, " keeps no journal of names", false},
        {Journal(EJournal::External), 0, "* The journal of " + top + " is on another device", true},
        {Journal(EJournal::Unknown, 0, 0, false, EJournalWhy::NeedsRoot), 0,
         "* The journal of " + top +
             " could not be cleared (reading its size needs the right to read the device (run as "
             "root))",
         true},
        {Journal(EJournal::Internal, 64 * kKiB, 4 * kKiB), 0,
         "Journal of " + top + " written over with 16 changes", false},
        {Journal(EJournal::Internal, 64 * kKiB, 0, true), kKiB,
         "Journal of " + top + " written over with 64 changes", false},
        {Journal(EJournal::Internal, 64 * kKiB, 0, true), 0,
         "* The journal of " + top + " could not be cleared (its head did not move)", true},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.line);
        m_host.ClearLines();
        m_files.PretendJournal(test.journal, test.nHeadStep);
        const int nWarnings = m_engine.WarningCount();
        EXPECT_TRUE(Run());
        const bool bOwnLine = test.line.compare(0, 1, " ") == 0;
        EXPECT_TRUE(Logged(bOwnLine ? top + test.line : test.line));
        EXPECT_EQ(m_engine.WarningCount() - nWarnings, test.bWarned ? 1 : 0);
        EXPECT_EQ(m_engine.FailureCount(), 0);
        EXPECT_EQ(Logged("Journal of " + top + " written over"),
                  test.journal.m_eKind == EJournal::Internal && !test.bWarned);
        EXPECT_EQ(ListNames(m_dir.Path()), std::vector<std::string>{"kept.txt"});
    }
}

// A run that was killed leaves fillers; the next one removes them (a folder of them too), and
// nothing that merely looks like one: another name, a name of a filler's shape that no run
// made (left with a line), a folder holding something else, another user's file.
TEST_F(FreeSpaceNamesTest, FillersAKilledRunLeftAreRemovedAndNothingElse) {
    const auto Filler = [](const char* body) { return FillerNameFor(body); };
    const std::string a = Filler("aaaaaaaaaaaaa"), b = Filler("bbbbbbbbbbbbb");
    const std::string d = Filler("ddddddddddddd"), f = Filler("fffffffffffff");
    const std::string lookAlike = std::string(kFillerPrefix) + "planted00001";
    ASSERT_FALSE(IsFillerName(lookAlike));
    WriteFile(m_dir / a, "");
    MakeFolder(m_dir / b);
    WriteFile(m_dir / b / Filler("ccccccccccccc"), "");
    ASSERT_EQ(::symlink("target", (m_dir / b / Filler("ggggggggggggg")).c_str()), 0);
    MakeFolder(m_dir / d);
    WriteFile(m_dir / d / "notes.txt", "mine");
    WriteFile(m_dir / (std::string(kFillerPrefix) + "EEEEEEEEEEEEEEE"), "");
    WriteFile(m_dir / f, "");
    WriteFile(m_dir / lookAlike, "");
    const bool bRoot = ::geteuid() == 0;
    if (bRoot) {
        ASSERT_EQ(::chown((m_dir / f).c_str(), 4242, 4242), 0);
    }
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Logged("File " + m_dir / a + " left by an earlier run is removed"));
    EXPECT_TRUE(Logged("Folder " + m_dir / b + " left by an earlier run is removed"));
    EXPECT_TRUE(Logged("* File " + m_dir / lookAlike +
                       " is named like the files a run leaves behind, but no run made it; it was "
                       "left as it was"));
    std::vector<std::string> left = {std::string(kFillerPrefix) + "EEEEEEEEEEEEEEE", d, lookAlike,
                                     "kept.txt"};
    if (bRoot) {
        left.push_back(f);
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(ListNames(m_dir.Path()), left);
    EXPECT_EQ(ReadFile(m_dir / d / "notes.txt"), "mine");
}

// Cancel while the journal is written over: said so, the run counts as aborted, and every
// filler and folder the step made is gone.
TEST_F(FreeSpaceNamesTest, CancelWhileTheJournalIsWrittenOverLeavesNothing) {
    m_files.PretendJournal(Journal(EJournal::Internal, 1024 * kKiB, 512));
    m_host.AbortWhen([this] { return Logged("- Clearing old names in the journal of "); });
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("* Clearing old names on " + m_dir.Path() + " is aborted"));
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Aborted);
    EXPECT_EQ(ListNames(m_dir.Path()), std::vector<std::string>{"kept.txt"});
}

// FAT keeps a removed entry's name in its slots: there a file is renamed in place, to a name
// of as many characters, before its random name; elsewhere it is not.
TEST(NameTraces, FatEntriesAreRenamedInPlaceToTheSameLength) {
    struct SCase {
        const char* type;
        int nRenames;
    };
    for (const SCase& test : {SCase{"vfat", 2}, SCase{"ext4", 1}}) {
        SCOPED_TRACE(test.type);
        CTempDir dir;
        CFakeFileSystem files;
        CRecordingHost host;
        CWipeEngine engine(files, host);
        CVolumeFacts volume;
        volume.m_strType = test.type;
        files.PretendVolume(volume);
        const std::string name = "payroll-\xc3\xa9t\xc3\xa9-2026.xlsx";  // 21 characters
        WriteFile(dir / name, "numbers");
        std::vector<std::string> renamed;
        files.BeforeNameChange([&](const std::string& path) { renamed.push_back(path); });
        EXPECT_EQ(engine.WipeFile(dir / name, EWipeMode::Normal), EWipeOutcome::Destroyed);
        ASSERT_EQ(renamed.size(), static_cast<std::size_t>(test.nRenames + 1));  // + delete
        EXPECT_EQ(NameUnits(LastPathPart(renamed[test.nRenames - 1])), 21u);
        EXPECT_TRUE(ListNames(dir.Path()).empty());
    }
}

}  // namespace quorrel::test

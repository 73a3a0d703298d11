// The refill a plain run gives the folders it deleted from where the file system keeps old
// names in their entry space: how many fillers each folder costs (bounded by what was deleted
// there, kMaxFillers at most, none where the system keeps no names), and what a filler that
// cannot be made or removed comes to.
#include <gtest/gtest.h>

#include "engine/Fillers.h"
#include "engine/NameRefill.h"
#include "engine/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

// 30 characters: 4 slots on FAT, as a filler of the same length takes.
std::string LongName(int n) {
    return "file-with-a-longer-name-" + std::to_string(100 + n) + ".txt";
}

struct CRefillRun {
    explicit CRefillRun(const char* type) : engine(files, host) {
        CVolumeFacts volume;
        volume.m_strType = type;
        files.PretendVolume(volume);
    }
    CTempDir dir;
    CFakeFileSystem files;
    CRecordingHost host;
    CWipeEngine engine;
};

}  // namespace

// A folder run over top/{a/ (3 files), b/ (2 files), 1 file}: each emptied folder gets a filler
// per entry it had (NTFS: and 4 more), the folder the run leaves one per entry removed from it
// and 4 more. On FAT an emptied folder gets as many slots as its names took and no more (it
// must not grow): a/ 3, b/ 2, top 1 for the file and 1 of 4 slots for "a" and "b" (2 each),
// and the folder left 4 (its "top" takes 2 slots, too few for a filler). Nothing where the
// system keeps no names; a folder of more entries than kMaxFillers gets kMaxFillers.
TEST(NameRefill, EachFolderCostsFillersByWhatWasDeletedFromIt) {
    struct SCase {
        const char* type;
        int nFiles;  // in a/
        int nCreates;
    };
    for (const SCase& test :
         {SCase{"ext4", 3, 0}, SCase{"ntfs3", 3, 7 + 6 + 7 + 5}, SCase{"vfat", 3, 3 + 2 + 2 + 4},
          SCase{"fuse", kMaxFillers + 20, kMaxFillers + 6 + 7 + 5}}) {
        SCOPED_TRACE(test.type);
        CRefillRun run(test.type);
        const std::string top = run.dir / "top";
        MakeFolder(top);
        MakeFolder(top / "a");
        MakeFolder(top / "b");
        for (int i = 0; i < test.nFiles; ++i) {
            WriteFile(top / "a" / LongName(i), "x");
        }
        WriteFile(top / "b" / LongName(1), "x");
        WriteFile(top / "b" / LongName(2), "x");
        WriteFile(top / LongName(3), "x");
        WriteFile(run.dir / "bystander.txt", "kept");
        ASSERT_TRUE(run.engine.WipeFolder(top, EWipeMode::Normal));
        EXPECT_EQ(run.files.CallCount(EFileOp::Create), test.nCreates);
        EXPECT_EQ(run.engine.FailureCount(), 0);
        EXPECT_EQ(ListNames(run.dir.Path()), std::vector<std::string>{"bystander.txt"});
    }
}

// A filler that cannot be removed is a failure that names it, and the run's outcome follows;
// one that cannot be made only ends the refill. The list run refills after its last entry.
TEST(NameRefill, AFillerThatStaysIsAFailureOneNotMadeIsNone) {
    struct SCase {
        EFileOp op;
        int nCall;  // the first filler's: the file's own deletion is the first delete
        int nFailures;
        std::size_t nLeft;
    };
    for (const SCase& test : {SCase{EFileOp::Create, 1, 0, 0}, SCase{EFileOp::Delete, 2, 1, 1}}) {
        SCOPED_TRACE(test.nFailures);
        CRefillRun run("ntfs3");
        WriteFile(run.dir / LongName(1), "secret");
        run.files.FailOn(test.op, kCauseAccessDenied, test.nCall);
        run.engine.WipeListItemThen(run.dir / LongName(1), [](EWipeOutcome) {});
        run.engine.FinishListItems();
        EXPECT_EQ(run.engine.FailureCount(), test.nFailures);
        const std::vector<std::string> left = ListNames(run.dir.Path());
        ASSERT_EQ(left.size(), test.nLeft);
        if (test.nLeft > 0) {
            EXPECT_TRUE(IsFillerName(left[0]));
            const std::string line = "* Error deleteing the file " + (run.dir / left[0]) + ": ";
            EXPECT_EQ(run.host.Lines().back().compare(0, line.size(), line), 0);
            EXPECT_EQ(run.engine.RunOutcome(), EWipeOutcome::Failed);
        } else {
            EXPECT_EQ(run.engine.RunOutcome(), EWipeOutcome::Destroyed);
        }
    }
}

}  // namespace quorrel::test

// The refill a plain run gives the folders it deleted from where the file system keeps old
// names in their entry space: how many fillers each folder costs (bounded by what was deleted
// there, kMaxFillers at most, none where the system keeps no names), how long each filler is,
// what a filler that cannot be made or removed comes to, every folder of a list run refilled,
// and the name a folder that stays gets back.
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "engine/names/Fillers.h"
#include "engine/names/NameRefill.h"
#include "engine/runs/WipeEngine.h"
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
// system keeps no names (a FUSE mount that is no disk's among them); a folder of more entries
// than kMaxFillers gets kMaxFillers.
TEST(NameRefill, EachFolderCostsFillersByWhatWasDeletedFromIt) {
    struct SCase {
        const char* type;
        int nFiles;  // in a/
        int nCreates;
    };
    for (const SCase& test : {SCase{"ext4", 3, 0}, SCase{"fuse", 3, 0},
                              SCase{"ntfs3", 3, 7 + 6 + 7 + 5}, SCase{"vfat", 3, 3 + 2 + 2 + 4},
                              SCase{"fuseblk", kMaxFillers + 20, kMaxFillers + 6 + 7 + 5}}) {
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
// so is one the system keeps although it said it was removed (fusefat may, on FAT, where the
// folder is listed again); one that cannot be made only ends the refill. The list run refills
// after its last entry.
TEST(NameRefill, AFillerThatStaysIsAFailureOneNotMadeIsNone) {
    struct SCase {
        const char* type;
        bool bFault;  // the filler's `op` fails at call `nCall` (the file's own delete is call 1)
        EFileOp op;
        int nCall;
        int nFailures;  // and fillers left
    };
    for (const SCase& test :
         {SCase{"ntfs3", true, EFileOp::Create, 1, 0}, SCase{"ntfs3", true, EFileOp::Delete, 2, 1},
          SCase{"vfat", false, EFileOp::Delete, 0, 1 + kRefillMargin}}) {
        SCOPED_TRACE(test.nFailures);
        CRefillRun run(test.type);
        if (test.bFault) {
            WriteFile(run.dir / LongName(1), "secret");
            run.files.FailOn(test.op, kCauseAccessDenied, test.nCall);
        } else {
            run.files.PretendLength(6);  // every removal is told done and does nothing
        }
        run.engine.WipeListItemThen(run.dir / LongName(1), [](EWipeOutcome) {});
        run.engine.FinishListItems();
        EXPECT_EQ(run.engine.FailureCount(), test.nFailures);
        EXPECT_EQ(run.engine.RunOutcome(),
                  test.nFailures > 0 ? EWipeOutcome::Failed : EWipeOutcome::Destroyed);
        std::vector<std::string> lines;
        for (const std::string& name : ListNames(run.dir.Path())) {
            if (IsFillerName(name)) {
                lines.push_back("* Error deleteing the file " + (run.dir / name) + ": ");
            }
        }
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(test.nFailures));
        for (const std::string& line : lines) {
            EXPECT_TRUE(std::any_of(
                run.host.Lines().begin(), run.host.Lines().end(),
                [&line](const std::string& logged) { return logged.rfind(line, 0) == 0; }))
                << line;
        }
    }
}

// Every filler takes the place of one deleted name, as long as that name (the margin's are of
// the shortest length): a folder run over names of 24, 32 and 40 characters.
TEST(NameRefill, EachFillerIsAsLongAsTheNameWhosePlaceItTakes) {
    struct SCase {
        const char* type;
        std::vector<std::size_t> lengths;  // of the fillers made in the emptied folder, sorted
    };
    const std::size_t nMin = kMinFillerLength;
    for (const SCase& test : {SCase{"ntfs3", {nMin, nMin, nMin, nMin, 24, 32, 40}},
                              SCase{"vfat", {24, 32, 40}}}) {  // an emptied FAT folder: no margin
        SCOPED_TRACE(test.type);
        CRefillRun run(test.type);
        const std::string top = run.dir / "top";
        MakeFolder(top);
        for (const std::size_t nLength : {24, 32, 40}) {
            WriteFile(top / std::string(nLength, static_cast<char>('a' + nLength % 26)), "x");
        }
        std::vector<std::size_t> lengths;
        run.files.BeforeNameChange([&](const std::string& path) {
            const std::string name = path.substr(path.find_last_of('/') + 1);
            if (IsFillerName(name) && path == top / name) {
                lengths.push_back(name.size());
            }
        });
        ASSERT_TRUE(run.engine.WipeFolder(top, EWipeMode::Normal));
        std::sort(lengths.begin(), lengths.end());
        EXPECT_EQ(lengths, test.lengths);
    }
}

// A list run refills every folder it deleted from once its last row is done: a FAT folder noted
// after a folder that keeps no names as much as one noted first, and a folder whose refill
// comes after one whose filler could not be removed (call 3 of delete: the rows' own files are
// calls 1 and 2) as much as one before it.
TEST(NameRefill, AListRunRefillsEveryFolderItDeletedFrom) {
    struct SCase {
        const char* first;  // the type the first row's folder has while it is shredded
        const char* second;
        int nFailingDelete;
        int nCreates;
        int nFailures;
    };
    for (const SCase& test : {SCase{"ext4", "vfat", 0, 1 + kRefillMargin, 0},
                              SCase{"ntfs3", "ntfs3", 3, 2 * (1 + kRefillMargin), 1}}) {
        SCOPED_TRACE(std::string(test.first) + " " + test.second);
        CRefillRun run(test.first);
        MakeFolder(run.dir / "one");
        MakeFolder(run.dir / "two");
        WriteFile(run.dir / "one" / LongName(1), "secret");
        WriteFile(run.dir / "two" / LongName(2), "secret");
        if (test.nFailingDelete > 0) {
            run.files.FailOn(EFileOp::Delete, kCauseAccessDenied, test.nFailingDelete);
        }
        run.engine.WipeListItemThen(run.dir / "one" / LongName(1), [](EWipeOutcome) {});
        CVolumeFacts second;
        second.m_strType = test.second;
        run.files.PretendVolume(second);
        run.engine.WipeListItemThen(run.dir / "two" / LongName(2), [](EWipeOutcome) {});
        run.engine.FinishListItems();
        EXPECT_EQ(run.files.CallCount(EFileOp::Create), test.nCreates);
        EXPECT_EQ(run.engine.FailureCount(), test.nFailures);
    }
}

// A folder the run cannot remove (it keeps a file with another name) was renamed in place to
// write over its old name (FAT, NTFS): it gets its name back, as does the folder named.
TEST(NameRefill, AFolderThatStaysKeepsItsName) {
    for (const char* type : {"vfat", "ntfs3"}) {
        SCOPED_TRACE(type);
        CRefillRun run(type);
        const std::string top = run.dir / "top-folder";
        MakeFolder(top);
        MakeFolder(top / "the-folder-that-stays");
        WriteFile(top / "the-folder-that-stays" / "linked", "shared");
        ASSERT_EQ(::link((top / "the-folder-that-stays" / "linked").c_str(),
                         (run.dir / "other-name").c_str()),
                  0);
        EXPECT_TRUE(run.engine.WipeFolder(top, EWipeMode::Normal));
        EXPECT_EQ(ListNames(run.dir.Path()),
                  (std::vector<std::string>{"other-name", "top-folder"}));
        EXPECT_EQ(ListNames(top), std::vector<std::string>{"the-folder-that-stays"});
        EXPECT_EQ(ReadFile(run.dir / "other-name"), "shared");
    }
}

// Fillers a killed plain run left in the folder a run refills go with that run's own, each
// with its line; a look-alike of a person's (a filler's shape, not its check) stays, said.
TEST(NameRefill, FillersAKilledRunLeftGoWithTheNextRefill) {
    for (const char* type : {"ntfs3", "vfat"}) {
        SCOPED_TRACE(type);
        CRefillRun run(type);
        const std::string top = run.dir / "top";
        MakeFolder(top);
        WriteFile(top / LongName(1), "x");
        const std::vector<std::string> left = {FillerNameFor("leftbyakilledrun"),
                                               FillerNameFor("aaaaaaaaaaaaaaaaaaaa")};
        for (const std::string& name : left) {
            WriteFile(run.dir / name, "");
        }
        const std::string lookAlike = std::string(kFillerPrefix) + "planted00001";
        WriteFile(run.dir / lookAlike, "");
        ASSERT_TRUE(run.engine.WipeFolder(top, EWipeMode::Normal));
        EXPECT_EQ(run.engine.FailureCount(), 0);
        EXPECT_EQ(ListNames(run.dir.Path()), std::vector<std::string>{lookAlike});
        for (const std::string& name : left) {
            EXPECT_TRUE(HasLine(run.host.Lines(),
                                "File " + run.dir / name + " left by an earlier run is removed"));
        }
        EXPECT_TRUE(HasLine(run.host.Lines(), "* File " + run.dir / lookAlike +
                                                  " is named like the files a run leaves "
                                                  "behind, but no run made it; it was left as "
                                                  "it was"));
    }
}

}  // namespace quorrel::test

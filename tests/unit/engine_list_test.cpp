// The list run: rows from the top, deleted on success, deselected on failure, Cancel between
// rows, and the lines that frame the run.
#include <gtest/gtest.h>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

const char* const kBanner = "- Deleteing files using: Simple (1 pass: writes 0x00) algorithm.";

class ListRunTest : public ::testing::Test {
protected:
    ListRunTest() : m_engine(m_files, m_host) {
        m_engine.SetClock([this] { return m_nNow; });
    }

    std::string File(const std::string& name, const std::string& content = "secret") {
        WriteFile(m_dir / name, content);
        return m_dir / name;
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
    std::int64_t m_nNow = 500;
};

}  // namespace

TEST_F(ListRunTest, ThreeFilesThatShred) {
    CRowList list({File("a"), File("b"), File("c")});
    m_host.AbortWhen([this] {
        m_nNow += 1;  // each check takes a second of the run's clock
        return false;
    });
    EXPECT_TRUE(RunWipeSelected(m_engine, list));
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(ListNames(m_dir.Path()).empty());
    const std::vector<std::string>& lines = m_host.Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines.front(), kBanner);
    EXPECT_EQ(lines[2], "File " + (m_dir / "a") + " successfuly deleted ");
    EXPECT_EQ(lines[6], "File " + (m_dir / "c") + " successfuly deleted ");
    EXPECT_EQ(lines.back(), "- Time: " + std::to_string(m_nNow - 500) + " seconds.");
    EXPECT_GT(m_nNow - 500, 0);
}

TEST_F(ListRunTest, OnlySelectedRowsAreShreddedFromTheTop) {
    CRowList list({File("a"), File("b"), File("c")});
    list.SetSelected(1, false);
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"-" + (m_dir / "b")});
    EXPECT_EQ(ListNames(m_dir.Path()), std::vector<std::string>{"b"});
}

TEST_F(ListRunTest, VanishedEntryStaysDeselected) {
    const std::string gone = m_dir / "gone";
    CRowList list({gone, File("here")});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"-" + gone});
    EXPECT_EQ(m_host.Lines()[1], gone + " is not a file system objekt");
}

TEST_F(ListRunTest, PathEndingInASeparatorNamesTheFolder) {
    MakeFolder(m_dir / "folder");
    const std::string slashed =
        m_dir.Path() + PreferredSeparator() + "folder" + PreferredSeparator();
    CRowList list({slashed});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(m_host.Lines()[1], "Wipeing folder " + slashed);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(Exists(m_dir / "folder"));
}

TEST_F(ListRunTest, FailedFileStaysAndTheRunGoesOn) {
    const std::string held = File("held");
    SetMode(held, 0444);
    m_files.FailOn(EFileOp::Open, kCauseSharingViolation);
    CRowList list({held, File("next")});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"-" + held});
    EXPECT_EQ(ReadFile(held), "secret");
    EXPECT_FALSE(Exists(m_dir / "next"));
}

TEST_F(ListRunTest, FolderRowLeavesTheListEvenWhenItCannotBeRemoved) {
    const std::string folder = m_dir / "f";
    MakeFolder(folder);
    WriteFile(folder / "x", "secret");
    m_files.FailOn(EFileOp::RemoveFolder, kCauseAccessDenied);
    CRowList list({folder});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(Exists(folder));
    EXPECT_FALSE(Exists(folder / "x"));
}

TEST_F(ListRunTest, UnlistableFolderRowStaysDeselected) {
    const std::string folder = m_dir / "f";
    MakeFolder(folder);
    m_files.FailOn(EFileOp::List, kCauseAccessDenied);
    CRowList list({folder});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"-" + folder});
    ASSERT_EQ(m_host.Lines().size(), 3u);  // banner, the folder's own line, time
    EXPECT_EQ(m_host.Lines()[1],
              "* Error listing folder " + folder + ": Access to an unnamed file was denied.");
}

TEST_F(ListRunTest, SystemFolderIsOverwrittenInPlaceYetLeavesTheList) {
    const std::string folder = m_dir / "sys";
    MakeFolder(folder);
    WriteFile(folder / "x", "secret");
    m_files.AddAttributes(folder, kAttrSystem);
    CRowList list({folder});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(ReadFile(folder / "x"), std::string(6, '\0'));
    EXPECT_EQ(m_host.Lines()[1], "File " + folder / "x successfuly shreded frm recykle bin ");
}

TEST_F(ListRunTest, CancelInTheSecondOfFourRows) {
    const std::string big(CPassWriter::kChunkBytes * 2, 's');
    CRowList list({File("1", big), File("2", big), File("3", big), File("4", big)});
    m_host.AbortWhen([this] { return m_files.CallCount(EFileOp::Write) >= 3; });  // inside file two
    EXPECT_FALSE(RunWipeSelected(m_engine, list));
    const std::vector<std::string> rows = {"-" + (m_dir / "2"), "+" + (m_dir / "3"),
                                           "+" + (m_dir / "4")};
    EXPECT_EQ(list.Rows(), rows);
    const std::string second = ReadFile(m_dir / "2");  // partly overwritten, full length
    EXPECT_EQ(second.size(), big.size());
    EXPECT_EQ(second.front(), '\0');
    EXPECT_EQ(second.back(), 's');
    EXPECT_TRUE(ReadFile(m_dir / "3") == big);  // untouched
    EXPECT_EQ(m_host.Lines().back(), "- Time: 0 seconds.");
    EXPECT_EQ(m_host.m_events.back(), "end");
}

// Cancel seen between two rows, where no file was in progress to say so: the run says it, and
// counts as aborted.
TEST_F(ListRunTest, CancelBetweenTwoRowsIsSaid) {
    CRowList list({File("1"), File("2")});
    m_host.AbortWhen([this] { return m_host.Lines().size() >= 3; });  // the first row is done
    EXPECT_FALSE(RunWipeSelected(m_engine, list));
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"+" + (m_dir / "2")});
    const std::vector<std::string>& lines = m_host.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "* Process is aborted; the items not yet reached were left as they were");
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Aborted);
}

TEST_F(ListRunTest, EmptySelectionStillRunsTheProtocol) {
    CRowList list({File("a")}, false);
    EXPECT_TRUE(RunWipeSelected(m_engine, list));
    const std::vector<std::string> lines = {kBanner, "- Time: 0 seconds."};
    EXPECT_EQ(m_host.Lines(), lines);
    const std::vector<std::string> protocol = {"begin", "end"};
    EXPECT_EQ(m_host.m_events, protocol);
    EXPECT_EQ(list.Rows(), std::vector<std::string>{"-" + (m_dir / "a")});
}

TEST_F(ListRunTest, TheRootIsRefusedWithAFailureLine) {
    CRowList list({"/", m_dir.Path() / "../../../../../../.."});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(m_host.Lines()[1], "* The root folder / is never shredded");
    EXPECT_EQ(m_files.CallCount(EFileOp::List), 0);
}

TEST_F(ListRunTest, LinkToAFolderRemovesOnlyTheLink) {
    const std::string folder = m_dir / "real";
    MakeFolder(folder);
    WriteFile(folder / "keep", "keep");
    if (!MakeLink(folder, m_dir / "link")) {
        GTEST_SKIP() << kNoLinks;
    }
    CRowList list({m_dir / "link"});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(Exists(m_dir / "link"));
    EXPECT_EQ(ReadFile(folder / "keep"), "keep");
}

TEST_F(ListRunTest, LinkToTheRootIsRemovedAsALink) {
    if (!MakeLink("/", m_dir / "rootlink")) {
        GTEST_SKIP() << kNoLinks;
    }
    CRowList list({m_dir / "rootlink"});
    RunWipeSelected(m_engine, list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(Exists(m_dir / "rootlink"));
    EXPECT_EQ(m_files.CallCount(EFileOp::List), 0);
}

// The terminal's rows keep a gap where rows were deleted; deletions before, inside and after
// it, and at both ends, must leave the rows a plain erase would.
TEST(RowList, DeletionsAnywhereLeaveTheRowsInOrder) {
    const std::vector<std::vector<int>> cases = {
        {0, 0, 0}, {3, 3, 1, 0, 2}, {5, 0, 4, 2, 2, 1}, {9, 7, 7, 0, 9}, {2, 4, 1, 6, 0, 0}};
    for (const std::vector<int>& deletions : cases) {
        std::vector<std::string> expected;
        for (int k = 0; k < 8; ++k) {
            expected.push_back("p" + std::to_string(k));
        }
        CRowList list(expected);
        list.SetSelected(6, false);
        expected[6] = "-p6";
        for (const int nRow : deletions) {
            list.DeleteItem(nRow);  // 9: no such row, ignored
            if (nRow < static_cast<int>(expected.size())) {
                expected.erase(expected.begin() + nRow);
            }
            std::vector<std::string> rows;
            for (const std::string& row : expected) {
                rows.push_back(row[0] == '-' ? row : "+" + row);
            }
            ASSERT_EQ(list.Rows(), rows) << "after deleting row " << nRow;
            ASSERT_EQ(list.GetItemCount(), static_cast<int>(rows.size()));
        }
        int nFirstSelected = -1;
        for (std::size_t k = expected.size(); k-- > 0;) {
            nFirstSelected = expected[k][0] == '-' ? nFirstSelected : static_cast<int>(k);
        }
        EXPECT_EQ(list.GetNextSelected(-1), nFirstSelected);
    }
}

}  // namespace quorrel::test

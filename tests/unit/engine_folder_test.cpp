// Folder trees: walk order, removal, recycle-bin mode, aborts, links and the root.
#include <algorithm>

#include <gtest/gtest.h>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    const auto found = std::find(lines.begin(), lines.end(), line);
    EXPECT_NE(found, lines.end()) << "missing line: " << line;
    return static_cast<std::size_t>(found - lines.begin());
}

class FolderTest : public ::testing::Test {
protected:
    FolderTest() : m_engine(m_files, m_host) {
        m_engine.SetClock([this] { return m_nNow++; });
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
    std::int64_t m_nNow = 1000;
};

}  // namespace

TEST_F(FolderTest, EmptyFolder) {
    const std::string folder = m_dir / "empty";
    MakeFolder(folder);
    EXPECT_TRUE(m_engine.WipeFolder(folder, EWipeMode::Normal));
    const std::vector<std::string> lines = {"Wipeing folder " + folder,
                                            "Folder " + folder + " is removed"};
    EXPECT_EQ(m_host.Lines(), lines);
    EXPECT_FALSE(Exists(folder));
}

TEST_F(FolderTest, NestedTreeIsShreddedDepthFirst) {
    const std::string top = m_dir / "top";
    MakeFolder(top);
    MakeFolder(top / "a");
    MakeFolder(top / "a/deep");
    MakeFolder(top / "b");
    WriteFile(top / "a/deep/f1", "1");
    WriteFile(top / "a/f2", "2");
    WriteFile(top / "b/f3", "3");
    WriteFile(top / ".hidden", "4");
    EXPECT_TRUE(m_engine.WipeFolder(top, EWipeMode::Normal));
    EXPECT_FALSE(Exists(top));
    const std::vector<std::string>& lines = m_host.Lines();
    EXPECT_EQ(lines.front(), "Wipeing folder " + top);
    EXPECT_EQ(lines.back(), "Folder " + top + " is removed");
    EXPECT_EQ(lines.size(), 2u + 4 * 2 + 3 * 2);
    // every subfolder is finished, removal included, before the walk goes on in its parent
    const std::size_t aStart = IndexOf(lines, "Wipeing folder " + top / "a");
    const std::size_t aEnd = IndexOf(lines, "Folder " + top / "a is removed");
    const std::size_t deepStart = IndexOf(lines, "Wipeing folder " + top / "a/deep");
    const std::size_t deepEnd = IndexOf(lines, "Folder " + top / "a/deep is removed");
    EXPECT_LT(aStart, deepStart);
    EXPECT_LT(deepEnd, aEnd);
    EXPECT_EQ(aEnd - aStart, 1u + 4 + 2);  // its own line, deep's block, f2's two lines
    EXPECT_LT(IndexOf(lines, "Wipeing file " + top / "a/deep/f1"), deepEnd);
    EXPECT_GT(IndexOf(lines, "Wipeing file " + top / "a/f2"), aStart);
    const std::size_t bStart = IndexOf(lines, "Wipeing folder " + top / "b");
    EXPECT_TRUE(bStart > aEnd || bStart + 4 < aStart);
    IndexOf(lines, "File " + top / ".hidden successfuly deleted ");
}

TEST_F(FolderTest, ReadOnlyFileAndReadOnlyFolders) {
    const std::string top = m_dir / "ro";
    MakeFolder(top);
    MakeFolder(top / "sub");
    WriteFile(top / "sub/file", "secret");
    SetMode(top / "sub/file", 0444);
    SetMode(top / "sub", 0555);
    SetMode(top, 0555);
    EXPECT_TRUE(m_engine.WipeFolder(top, EWipeMode::Normal));
    EXPECT_FALSE(Exists(top));
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

TEST_F(FolderTest, FolderThatCannotBeRemovedStillCompletes) {
    const std::string folder = m_dir / "busy";
    MakeFolder(folder);
    WriteFile(folder / "held", "secret");
    WriteFile(folder / "free", "secret");
    {
        CHeldFile held(folder / "held");
        ASSERT_TRUE(held.IsHeld());
        EXPECT_TRUE(RunWipeFolder(m_engine, folder));
    }
    // The walk went through, but the run did not destroy everything it was given.
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Failed);
    EXPECT_EQ(m_engine.FailureCount(), 2);  // the held file and the folder it kept
    const std::vector<std::string>& lines = m_host.Lines();
    EXPECT_EQ(ReadFile(folder / "held"), "secret");
    EXPECT_FALSE(Exists(folder / "free"));
    const std::size_t n = lines.size();
    ASSERT_GE(n, 3u);
    EXPECT_EQ(lines[n - 3], "* Error removing folder " + folder);
    EXPECT_EQ(lines[n - 2], "- End deleting the folder " + folder);
    EXPECT_EQ(lines[n - 1], "- Time: 1 seconds.");
}

TEST_F(FolderTest, WipeFolderRunLinesInOrder) {
    const std::string folder = m_dir / "run";
    MakeFolder(folder);
    WriteFile(folder / "f", "x");
    m_engine.SetWipeMethod(2);
    EXPECT_TRUE(RunWipeFolder(m_engine, folder));
    const std::vector<std::string> lines = {
        "- Start deleteing files " + folder +
            " using: US DoD 5220.22-M (7 passes: writes 0x00 and 0xFF - US govermant aprooved) "
            "algorithm.",
        "Wipeing folder " + folder,
        "Wipeing file " + folder / "f",
        "File " + folder / "f successfuly deleted ",
        "Folder " + folder + " is removed",
        "- End deleting the folder " + folder,
        "- Time: 1 seconds."};
    EXPECT_EQ(m_host.Lines(), lines);
    EXPECT_EQ(m_host.m_events.front(), "begin");
    EXPECT_EQ(m_host.m_events.back(), "end");
}

TEST_F(FolderTest, MissingFolderWritesOnlyTheRunsErrorLine) {
    const std::string folder = m_dir / "nowhere";
    EXPECT_FALSE(m_engine.WipeFolder(folder, EWipeMode::Normal));
    EXPECT_TRUE(m_host.Lines().empty());
    m_engine.SetWipeMethod(9);
    EXPECT_FALSE(RunWipeFolder(m_engine, folder));
    const std::vector<std::string> lines = {
        "- Start deleteing files " + folder + " using: Unknown algorithm.",
        "* Error deleting the folder " + folder};
    EXPECT_EQ(m_host.Lines(), lines);
    const std::vector<std::string> protocol = {"begin", "end"};
    EXPECT_EQ(m_host.m_events, protocol);
}

TEST_F(FolderTest, RecycleBinModeOverwritesAndRemovesNothing) {
    const std::string bin = m_dir / "bin";
    MakeFolder(bin);
    MakeFolder(bin / "sub");
    WriteFile(bin / "a", "aaaa");
    WriteFile(bin / "sub/b", "bbbbbb");
    SetMode(bin / "sub/b", 0444);
    EXPECT_TRUE(m_engine.WipeFolder(bin, EWipeMode::RecycleBin));
    EXPECT_EQ(ReadFile(bin / "a"), std::string(4, '\0'));
    EXPECT_EQ(ReadFile(bin / "sub/b"), std::string(6, '\0'));  // made writable by the walk
    const std::vector<std::string> lines = {
        "File " + bin / "a successfuly shreded frm recykle bin ",
        "File " + bin / "sub/b successfuly shreded frm recykle bin "};
    std::vector<std::string> got = m_host.Lines();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, lines);
}

TEST_F(FolderTest, CancelStopsTheWalkAtEveryLevel) {
    const std::string top = m_dir / "deep";
    MakeFolder(top);
    MakeFolder(top / "x");
    MakeFolder(top / "x/y");
    for (const char* name : {"1", "2", "3"}) {
        WriteFile(top / "x/y/" + name, std::string(CPassWriter::kChunkBytes * 2, 's'));
        WriteFile(top / "x/" + name, "s");
        WriteFile(top + "/" + name, "s");
    }
    // Cancel while the first file is being written
    m_host.AbortWhen([this] { return m_files.CallCount(EFileOp::Write) > 0; });
    EXPECT_FALSE(RunWipeFolder(m_engine, top));
    EXPECT_EQ(m_files.CallCount(EFileOp::Open), 1);  // no further file was opened
    EXPECT_TRUE(Exists(top / "x/y"));
    const std::vector<std::string>& lines = m_host.Lines();
    EXPECT_EQ(lines.back(), "* Error deleting the folder " + top);
    EXPECT_EQ(std::count_if(
                  lines.begin(), lines.end(),
                  [](const std::string& l) { return l.find(" is removed") != std::string::npos; }),
              0);
    EXPECT_EQ(lines[lines.size() - 2].rfind("* Process is aborted deleteing file " + top, 0), 0u);
}

TEST_F(FolderTest, LinksInsideTheTreeAreNeverFollowed) {
    const std::string outside = m_dir / "outside";
    MakeFolder(outside);
    WriteFile(outside / "precious", "keep");
    const std::string top = m_dir / "tree";
    MakeFolder(top);
    if (!MakeLink(outside, top / "dirlink")) {
        GTEST_SKIP() << kNoLinks;
    }
    if (!MakeLink(outside / "precious", top / "filelink")) {
        GTEST_SKIP() << kNoLinks;
    }
    if (!MakeLink(m_dir / "nonexistent", top / "dangling")) {
        GTEST_SKIP() << kNoLinks;
    }
    SetMode(outside / "precious", 0444);
    EXPECT_TRUE(m_engine.WipeFolder(top, EWipeMode::Normal));
    EXPECT_FALSE(Exists(top));
    EXPECT_EQ(ReadFile(outside / "precious"), "keep");
    EXPECT_EQ(ListNames(outside), std::vector<std::string>{"precious"});
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

TEST_F(FolderTest, PathsFarLongerThanTheOldBufferWork) {
    std::string path = m_dir / "long";
    MakeFolder(path);
    const std::string top = path;
    for (int level = 0; level < 8; ++level) {
        path += "/" + std::string(60, static_cast<char>('a' + level));
        MakeFolder(path);
    }
    WriteFile(path / "file", "secret");
    ASSERT_GT(path.size(), 400u);
    EXPECT_TRUE(m_engine.WipeFolder(top, EWipeMode::Normal));
    EXPECT_FALSE(Exists(top));
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

TEST_F(FolderTest, TheRootIsNeverWalked) {
    for (const std::string& root : {std::string("/"), m_dir.Path() / "../../../../../.."}) {
        m_host.ClearLines();
        EXPECT_FALSE(m_engine.WipeFolder(root, EWipeMode::Normal));
        EXPECT_EQ(m_host.Lines(),
                  std::vector<std::string>{"* The root folder " + root + " is never shredded"});
    }
    EXPECT_EQ(m_files.CallCount(EFileOp::List), 0);
}

TEST_F(FolderTest, AFolderGivenAsALinkIsNotWalked) {
    const std::string real = m_dir / "real";
    MakeFolder(real);
    WriteFile(real / "precious", "keep");
    if (!MakeLink(real, m_dir / "link")) {
        GTEST_SKIP() << kNoLinks;
    }
    for (const std::string& link : {m_dir / "link", m_dir / "link/"}) {
        EXPECT_FALSE(RunWipeFolder(m_engine, link));
        EXPECT_EQ(m_host.Lines().back(), "* Error deleting the folder " + link);
    }
    EXPECT_EQ(ReadFile(real / "precious"), "keep");
}

}  // namespace quorrel::test

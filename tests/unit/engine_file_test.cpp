// Shredding single files on a real disk: patterns, modes, lines and what is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

constexpr std::int64_t kFixedTime = 1700000000;

std::string Abort(const std::string& path) {
    return "* Process is aborted deleteing file " + path +
           ". This file is probably corupt now and cant be used normaly.";
}

std::int64_t SizeOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::u8path(path), error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

class FileWipeTest : public ::testing::Test {
protected:
    FileWipeTest() : m_engine(m_files, m_host) {
        m_engine.SetClock([] { return kFixedTime; });
    }

    // Runs one file through the recording layer under `nMethod` (in recycle-bin mode, so the
    // file stays) and returns the passes written.
    std::vector<std::string> PassesOf(int nMethod, std::size_t nLength) {
        WriteFile(m_dir / "f", std::string(nLength, 'S'));
        m_engine.SetWipeMethod(nMethod);
        m_files.KeepPassBytes();
        EXPECT_EQ(m_engine.WipeFile(m_dir / "f", EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
        return m_files.m_passes;
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
};

}  // namespace

TEST_F(FileWipeTest, FixedPatternsPassByPass) {
    const std::size_t nLength = CPassWriter::kChunkBytes + 17;  // crosses a chunk boundary
    const std::vector<std::string> passes = PassesOf(1, nLength);
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_TRUE(passes[0] == std::string(nLength, '\x00'));
    EXPECT_TRUE(passes[1] == std::string(nLength, '\xFF'));
    EXPECT_TRUE(passes[2] == std::string(nLength, '\x00'));
    EXPECT_TRUE(ReadFile(m_dir / "f") == std::string(nLength, '\x00'));
}

TEST_F(FileWipeTest, SevenPassesAlternate) {
    const std::vector<std::string> passes = PassesOf(2, 1000);
    ASSERT_EQ(passes.size(), 7u);
    for (std::size_t p = 0; p < passes.size(); ++p) {
        EXPECT_EQ(passes[p], std::string(1000, p % 2 == 0 ? '\x00' : '\xFF')) << "pass " << p;
    }
}

TEST_F(FileWipeTest, SimpleMethodWritesOnePassOfZeros) {
    const std::vector<std::string> passes = PassesOf(0, 4096);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0], std::string(4096, '\x00'));
}

TEST_F(FileWipeTest, OutOfRangeMethodsWriteTenPassesOf55) {
    for (const int nMethod : {7, -1}) {
        m_files.m_passes.clear();
        const std::vector<std::string> passes = PassesOf(nMethod, 300);
        ASSERT_EQ(passes.size(), 10u) << nMethod;
        for (const std::string& pass : passes) {
            EXPECT_EQ(pass, std::string(300, '\x55'));
        }
    }
}

TEST_F(FileWipeTest, RandomMethodDrawsOneNumberPerByteInOrder) {
    const std::size_t nLength = 2 * CPassWriter::kChunkBytes + 5;
    const std::vector<std::string> passes = PassesOf(3, nLength);
    ASSERT_EQ(passes.size(), 30u);
    CCrtRandom expected;
    expected.Seed(static_cast<std::uint32_t>(kFixedTime));
    for (std::size_t p = 0; p < passes.size(); ++p) {
        ASSERT_EQ(passes[p].size(), nLength);
        for (std::size_t i = 0; i < nLength; ++i) {
            ASSERT_EQ(static_cast<unsigned char>(passes[p][i]), expected.Draw() & 0xFF)
                << "pass " << p << " byte " << i;
        }
    }
}

TEST_F(FileWipeTest, RandomFilesInTheSameSecondGetTheSameBytes) {
    m_engine.SetWipeMethod(3);
    WriteFile(m_dir / "a", std::string(5000, 'a'));
    WriteFile(m_dir / "b", std::string(5000, 'b'));
    WriteFile(m_dir / "c", std::string(5000, 'c'));
    ASSERT_EQ(m_engine.WipeFile(m_dir / "a", EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    ASSERT_EQ(m_engine.WipeFile(m_dir / "b", EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    EXPECT_EQ(ReadFile(m_dir / "a"), ReadFile(m_dir / "b"));
    m_engine.SetClock([] { return kFixedTime + 1; });
    ASSERT_EQ(m_engine.WipeFile(m_dir / "c", EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    EXPECT_NE(ReadFile(m_dir / "a"), ReadFile(m_dir / "c"));
}

// Each pass is flushed before the next step, and nothing else is: the truncation and the
// names need no flush of their own, and a pass that writes nothing has nothing to flush.
TEST_F(FileWipeTest, EachPassThatWritesIsFlushedBeforeTheNextStep) {
    const struct {
        const char* content;
        std::vector<std::string> events;
    } cases[] = {
        {"secret",
         {"open", "seek", "write", "flush", "seek", "write", "flush", "seek", "write", "flush",
          "truncate", "close", "rename", "delete"}},
        {"", {"open", "truncate", "close", "rename", "delete"}},
    };
    m_engine.SetWipeMethod(1);
    for (const auto& c : cases) {
        WriteFile(m_dir / "f", c.content);
        m_files.m_events.clear();
        ASSERT_EQ(m_engine.WipeFile(m_dir / "f", EWipeMode::Normal), EWipeOutcome::Destroyed);
        EXPECT_EQ(m_files.m_events, c.events) << "content \"" << c.content << "\"";
    }
}

TEST_F(FileWipeTest, LongPassesAreFlushedInSlices) {
    m_files.PretendLength(3 * CPassWriter::kFlushSliceBytes + 1);
    ASSERT_EQ(m_engine.WipeFile(m_dir / "big", EWipeMode::Normal), EWipeOutcome::Destroyed);
    int nFlushes = 0;
    for (const std::string& event : m_files.m_events) {
        nFlushes += event == "flush" ? 1 : 0;
    }
    EXPECT_EQ(nFlushes, 3 + 1);  // three slices and the pass's end
}

TEST_F(FileWipeTest, LargeFilesAreCutInStepsWithTheWindowKeptAlive) {
    m_files.PretendLength(2 * CFileShredder::kTruncateStepBytes + 5);
    ASSERT_EQ(m_engine.WipeFile(m_dir / "big", EWipeMode::Normal), EWipeOutcome::Destroyed);
    const std::vector<std::string> ending(m_files.m_events.end() - 7, m_files.m_events.end());
    const std::vector<std::string> expected = {"flush", "truncate", "truncate", "truncate",
                                               "close", "rename",   "delete"};
    EXPECT_EQ(ending, expected);
    EXPECT_EQ(std::count(m_host.m_events.begin(), m_host.m_events.end(), "alive"), 2);
}

TEST_F(FileWipeTest, FilesOfTwoGibibytesAndMoreAreOverwrittenWhole) {
    const std::int64_t nLength = (std::int64_t{1} << 31) + 5;
    m_files.PretendLength(nLength);
    ASSERT_EQ(m_engine.WipeFile(m_dir / "huge", EWipeMode::Normal), EWipeOutcome::Destroyed);
    ASSERT_EQ(m_files.m_passBytes.size(), 1u);
    EXPECT_EQ(m_files.m_passBytes[0], nLength);
    EXPECT_EQ(m_host.m_events.front(), "pass 0/1");
    EXPECT_EQ(m_host.m_events[1], "range " + std::to_string(nLength));
}

TEST_F(FileWipeTest, EmptyFileIsDeletedWithItsLines) {
    const std::string path = m_dir / "empty";
    WriteFile(path, "");
    m_engine.SetWipeMethod(1);
    EXPECT_EQ(m_engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(ListNames(m_dir.Path()).empty());
    const std::vector<std::string> lines = {"Wipeing file " + path,
                                            "File " + path + " successfuly deleted "};
    EXPECT_EQ(m_host.Lines(), lines);
    const std::vector<std::string> progress = {"pass 0/3", "range 0", "pos 0",    "pass 1/3",
                                               "range 0",  "pos 0",   "pass 2/3", "range 0",
                                               "pos 0",    "pos 0"};
    EXPECT_EQ(m_host.m_events, progress);
}

TEST_F(FileWipeTest, ProgressFollowsTheBytesOfEachPass) {
    WriteFile(m_dir / "f", std::string(CPassWriter::kChunkBytes * 3, 'x'));
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    std::vector<std::int64_t> positions;
    host.AbortWhen([&] {
        positions.push_back(host.m_nPosition);
        return false;
    });
    ASSERT_EQ(engine.WipeFile(m_dir / "f", EWipeMode::Normal), EWipeOutcome::Destroyed);
    const std::int64_t chunk = static_cast<std::int64_t>(CPassWriter::kChunkBytes);
    // the pass check, one check before each chunk, the final check
    const std::vector<std::int64_t> expected = {0, 0, chunk, 2 * chunk, 3 * chunk};
    EXPECT_EQ(positions, expected);
    EXPECT_EQ(host.m_nPosition, 0);  // reset after success
}

TEST(FileWipe, RecycleBinModeOverwritesInPlaceAndSaysSo) {
    CTempDir dir;
    const std::string path = dir / "bin-file";
    WriteFile(path, std::string(1234, 's'));
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(path, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    EXPECT_EQ(ReadFile(path), std::string(1234, '\0'));
    const std::vector<std::string> lines = {"File " + path +
                                            " successfuly shreded frm recykle bin "};
    EXPECT_EQ(host.Lines(), lines);
}

TEST(FileWipe, ReadOnlyFileLosesItsBitInNormalMode) {
    CTempDir dir;
    const std::string path = dir / "ro";
    WriteFile(path, "secret");
    SetMode(path, 0444);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_TRUE(ListNames(dir.Path()).empty());
}

TEST(FileWipe, ReadOnlyFileIsRefusedInRecycleBinMode) {
    CTempDir dir;
    const std::string path = dir / "ro";
    WriteFile(path, "secret");
    SetMode(path, 0444);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    const std::vector<std::string> lines = {"* Error opening file " + path + ": Access to " + path +
                                            " was denied."};
    EXPECT_EQ(host.Lines(), lines);
    EXPECT_EQ(ReadFile(path), "secret");
}

TEST(FileWipe, MissingFileInBothModes) {
    CTempDir dir;
    const std::string path = dir / "gone";
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    const std::vector<std::string> lines = {
        "* Error seting file attribute on file " + path + ": an unnamed file was not found.",
        "* Error opening file " + path + ": " + path + " was not found."};
    EXPECT_EQ(host.Lines(), lines);
    EXPECT_EQ(engine.FailureCount(), 2);
}

// An aborted file keeps its length in both modes: cutting it would free the blocks not yet
// overwritten, and no later run could reach them.
TEST(FileWipe, AbortInAPassKeepsTheFullLengthAtItsPath) {
    for (const bool bRecycleBin : {false, true}) {
        CTempDir dir;
        const std::string path = dir / "big";
        WriteFile(path, std::string(CPassWriter::kChunkBytes * 4, 's'));
        CRecordingHost host;
        CWipeEngine engine(SystemFileSystem(), host);
        engine.SetWipeMethod(1);
        host.AbortAtCheck(8);  // inside the second pass
        EXPECT_NE(engine.WipeFile(path, bRecycleBin ? EWipeMode::RecycleBin : EWipeMode::Normal),
                  EWipeOutcome::Destroyed);
        const std::string content = ReadFile(path);
        ASSERT_EQ(content.size(), CPassWriter::kChunkBytes * 4) << bRecycleBin;
        EXPECT_EQ(content.front(), '\xFF');  // the second pass had begun...
        EXPECT_EQ(content.back(), '\0');     // ...over the first
        EXPECT_EQ(host.Lines().back(), Abort(path));
        EXPECT_EQ(host.m_events.back(), "pos 0");
        EXPECT_EQ(std::count(host.m_events.begin(), host.m_events.end(), "pass 1/3"), 1);
        EXPECT_EQ(std::count(host.m_events.begin(), host.m_events.end(), "pass 2/3"), 0);
    }
}

TEST(FileWipe, FirstRandomNameAfterStartIsAlwaysTheSame) {
    CTempDir dir;
    MakeFolder(dir / "sub");
    const std::string path = dir / "sub/victim.txt";
    WriteFile(path, "secret");
    CFakeFileSystem files;
    files.FailOn(EFileOp::Delete, kCauseAccessDenied);
    CRecordingHost host;
    CWipeEngine engine(files, host);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    // renamed inside the file's own folder, never into the current directory
    EXPECT_EQ(ListNames(dir / "sub"), std::vector<std::string>{"bhoajess.cef"});
    EXPECT_EQ(SizeOf(dir / "sub/bhoajess.cef"), 0);
    EXPECT_FALSE(Exists("bhoajess.cef"));
    EXPECT_EQ(host.Lines().back(),
              "* Error deleteing the file " + path + ": Access to an unnamed file was denied.");
}

// A name planted where the first random name will fall neither stops the shredding nor is
// replaced: the next name the generator gives is taken.
TEST(FileWipe, ATakenRandomNameIsSkippedNeverReplaced) {
    CTempDir dir;
    const std::string path = dir / "victim";
    WriteFile(path, "secret");
    WriteFile(dir / "bhoajess.cef", "innocent bystander");
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_EQ(ReadFile(dir / "bhoajess.cef"), "innocent bystander");
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"bhoajess.cef"});
    EXPECT_EQ(host.Lines().back(), "File " + path + " successfuly deleted ");
}

TEST(FileWipe, RelativePathIsRenamedBesideItself) {
    CTempDir dir;
    const std::string path = dir / "rel";
    WriteFile(path, "secret");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(dir.Path()));
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    const bool bDone = IsRemoved(engine.WipeFile("rel", EWipeMode::Normal));
    std::filesystem::current_path(previous);
    EXPECT_TRUE(bDone);
    EXPECT_EQ(host.Lines().back(), "File rel successfuly deleted ");
    EXPECT_TRUE(ListNames(dir.Path()).empty());
}

TEST(FileWipe, FileHeldExclusivelyByAnotherProgramIsLeftAlone) {
    CTempDir dir;
    const std::string path = dir / "held";
    WriteFile(path, "secret");
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    {
        CHeldFile held(path);
        ASSERT_TRUE(held.IsHeld());
        EXPECT_NE(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
        EXPECT_NE(engine.WipeFile(path, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    }
    const std::vector<std::string> lines = {
        "* Error seting file attribute on file " + path +
            ": A sharing violation occurred while accessing an unnamed file.",
        "* Error opening file " + path + ": A sharing violation occurred while accessing " + path +
            "."};
    EXPECT_EQ(host.Lines(), lines);
    EXPECT_EQ(ReadFile(path), "secret");
}

TEST(FileWipe, LinksAreRemovedWithoutTouchingTheirTargets) {
    CTempDir dir;
    WriteFile(dir / "target", "keep me");
    if (!MakeLink(dir / "target", dir / "link")) {
        GTEST_SKIP() << kNoLinks;
    }
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(dir / "link", EWipeMode::RecycleBin),
              EWipeOutcome::Destroyed);  // recycle-bin mode leaves it
    EXPECT_TRUE(Exists(dir / "link"));
    EXPECT_EQ(engine.WipeFile(dir / "link", EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_FALSE(Exists(dir / "link"));
    EXPECT_EQ(ReadFile(dir / "target"), "keep me");
    const std::vector<std::string> lines = {
        "File " + (dir / "link") +
            " is a link or special file with no data of its own; the emptying removes it",
        "Wipeing file " + (dir / "link"), "File " + (dir / "link") + " successfuly deleted "};
    EXPECT_EQ(host.Lines(), lines);
}

}  // namespace quorrel::test

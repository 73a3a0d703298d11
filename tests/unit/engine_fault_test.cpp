// Every failure of the file layer, injected: the exact line and what is left on disk.
#include <sys/stat.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

const std::string kSecret(3 * 1024, 's');

class FaultTest : public ::testing::Test {
protected:
    FaultTest() : m_path(m_dir / "victim"), m_engine(m_files, m_host) {
        WriteFile(m_path, kSecret);
        m_engine.SetWipeMethod(1);
    }

    // Shreds the victim in normal mode, expecting failure, and returns the last line.
    std::string Fails() {
        EXPECT_NE(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::Destroyed);
        EXPECT_EQ(m_engine.FailureCount(), 1);
        return m_host.Lines().empty() ? std::string() : m_host.Lines().back();
    }

    // The names in the folder other than the victim's.
    std::vector<std::string> Others() {
        std::vector<std::string> names = ListNames(m_dir.Path());
        names.erase(std::remove(names.begin(), names.end(), "victim"), names.end());
        return names;
    }

    CTempDir m_dir;
    std::string m_path;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
};

}  // namespace

TEST_F(FaultTest, ReadingTheStatus) {
    m_files.FailOn(EFileOp::GetStatus, kCauseHardIO);
    EXPECT_EQ(Fails(), "* Error seting file attribute on file " + m_path +
                           ": A hardware I/O error was reported while accessing an unnamed file.");
    EXPECT_EQ(ReadFile(m_path), kSecret);
}

TEST_F(FaultTest, WritingTheStatus) {
    SetMode(m_path, 0444);
    m_files.FailOn(EFileOp::SetStatus, kCauseAccessDenied);
    EXPECT_EQ(Fails(), "* Error seting file attribute on file " + m_path +
                           ": Access to an unnamed file was denied.");
    EXPECT_EQ(ReadFile(m_path), kSecret);
    EXPECT_EQ(m_host.Lines().size(), 1u);  // no "Wipeing file" line
}

TEST_F(FaultTest, OpeningNamesThePathAsPassed) {
    m_files.FailOn(EFileOp::Open, kCauseTooManyOpenFiles);
    EXPECT_EQ(Fails(), "* Error opening file " + m_path + ": " + m_path +
                           " could not be opened because there are too many open files.");
    EXPECT_EQ(ReadFile(m_path), kSecret);
}

TEST_F(FaultTest, MeasuringTheLength) {
    m_files.FailOn(EFileOp::Length, kCauseBadSeek);
    EXPECT_EQ(Fails(), "* Error seeking the file " + m_path + ": Seek failed on an unnamed file");
    EXPECT_EQ(ReadFile(m_path), kSecret);
}

TEST_F(FaultTest, SeekingToTheSecondPassLeavesTheFirstPassOnDisk) {
    m_files.FailOn(EFileOp::Seek, kCauseBadSeek, 2);
    EXPECT_EQ(Fails(), "* Error seeking the file " + m_path + ": Seek failed on an unnamed file");
    EXPECT_EQ(ReadFile(m_path), std::string(kSecret.size(), '\0'));
}

TEST_F(FaultTest, WritingNamesTheFullPath) {
    const std::string dotted = m_dir.Path() + "/./victim";  // the open resolves the full path
    m_files.FailOn(EFileOp::Write, kCauseHardIO, 2);
    EXPECT_NE(m_engine.WipeFile(dotted, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_EQ(m_host.Lines().back(), "* Error writing to file " + dotted +
                                         ": A hardware I/O error was reported while accessing " +
                                         m_path + ".");
    EXPECT_EQ(ReadFile(m_path), std::string(kSecret.size(), '\0'));  // pass one, full length
}

TEST_F(FaultTest, DiskFullInTheMiddleOfAWrite) {
    m_files.FillDiskOn(2, 100);
    EXPECT_EQ(Fails(),
              "* Error writing to file " + m_path + ": Disk full while accessing " + m_path + ".");
    const std::string content = ReadFile(m_path);
    ASSERT_EQ(content.size(), kSecret.size());
    EXPECT_EQ(content.substr(0, 100), std::string(100, '\xFF'));  // pass two's first bytes
    EXPECT_EQ(content.substr(100), std::string(kSecret.size() - 100, '\0'));
}

TEST_F(FaultTest, FlushingAPassIsAWriteFailure) {
    m_files.FailOn(EFileOp::Flush, kCauseHardIO);
    EXPECT_EQ(Fails(), "* Error writing to file " + m_path +
                           ": A hardware I/O error was reported while accessing " + m_path + ".");
    EXPECT_EQ(ReadFile(m_path).size(), kSecret.size());
}

TEST_F(FaultTest, TruncatingLeavesTheOverwrittenFileAtFullLength) {
    m_files.FailOn(EFileOp::Truncate, kCauseAccessDenied);
    EXPECT_EQ(Fails(),
              "* Error closeing the file " + m_path + ": Access to an unnamed file was denied.");
    EXPECT_EQ(ReadFile(m_path), std::string(kSecret.size(), '\0'));
}

TEST_F(FaultTest, AFailedLastFlushStopsBeforeTheTruncation) {
    m_files.FailOn(EFileOp::Flush, kCauseHardIO, 3);  // the third pass's
    EXPECT_EQ(Fails(), "* Error writing to file " + m_path +
                           ": A hardware I/O error was reported while accessing " + m_path + ".");
    EXPECT_EQ(ReadFile(m_path), std::string(kSecret.size(), '\0'));
    EXPECT_EQ(std::count(m_files.m_events.begin(), m_files.m_events.end(), "truncate"), 0);
}

TEST_F(FaultTest, ClosingLeavesAnEmptyFile) {
    m_files.FailOn(EFileOp::Close, kCauseInvalidFile);
    EXPECT_EQ(Fails(), "* Error closeing the file " + m_path +
                           ": An invalid file handle was associated with an unnamed file.");
    EXPECT_EQ(ReadFile(m_path), "");
    EXPECT_TRUE(Exists(m_path));
}

TEST_F(FaultTest, RenamingLeavesAnEmptyFileAtItsPath) {
    m_files.FailOn(EFileOp::Rename, kCauseAccessDenied);
    EXPECT_EQ(Fails(),
              "* Error deleteing the file " + m_path + ": Access to an unnamed file was denied.");
    EXPECT_TRUE(Exists(m_path));
    EXPECT_EQ(ReadFile(m_path), "");
    EXPECT_TRUE(Others().empty());
}

TEST_F(FaultTest, DeletingLeavesAnEmptyFileUnderItsRandomName) {
    m_files.FailOn(EFileOp::Delete, kCauseSharingViolation);
    EXPECT_EQ(Fails(), "* Error deleteing the file " + m_path +
                           ": A sharing violation occurred while accessing an unnamed file.");
    EXPECT_FALSE(Exists(m_path));
    const std::vector<std::string> others = Others();
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(ReadFile(m_dir / others[0]), "");
}

TEST_F(FaultTest, ProgressStaysWhereTheFailureLeftIt) {
    m_files.FailOn(EFileOp::Write, kCauseHardIO, 2);
    Fails();
    EXPECT_EQ(m_host.m_events.back(), "pos 0");  // set at the start of pass two, not after
    EXPECT_EQ(m_host.m_events[m_host.m_events.size() - 2],
              "range " + std::to_string(kSecret.size()));
}

TEST_F(FaultTest, ErrorTextIsCutTo98Characters) {
    const std::string longName = m_dir / std::string(120, 'n');
    WriteFile(longName, "x");
    m_files.FailOn(EFileOp::Open, kCauseAccessDenied);
    EXPECT_NE(m_engine.WipeFile(longName, EWipeMode::Normal), EWipeOutcome::Destroyed);
    const std::string prefix = "* Error opening file " + longName + ": ";
    const std::string line = m_host.Lines().back();
    ASSERT_EQ(line.rfind(prefix, 0), 0u);
    EXPECT_EQ(line.substr(prefix.size()), ("Access to " + longName).substr(0, 98));
}

}  // namespace quorrel::test

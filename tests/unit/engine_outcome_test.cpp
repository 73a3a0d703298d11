// Nothing is reported destroyed that is not: files that change while they are shredded, sparse
// files, copy-on-write file systems and shared data, and the read-back of --verify.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/file/ReadAhead.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

const std::string kSecret(3 * CPassWriter::kChunkBytes, 's');

class OutcomeTest : public ::testing::Test {
protected:
    OutcomeTest() : m_path(m_dir / "victim"), m_engine(m_files, m_host) {
        WriteFile(m_path, kSecret);
        m_engine.SetWipeMethod(1);
    }

    CTempDir m_dir;
    std::string m_path;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
};

}  // namespace

// Another program grows or cuts the file while its passes run: the file is still shredded as
// well as it can be and removed, but it does not get the success line.
TEST_F(OutcomeTest, AFileThatChangesDuringItsPassesIsNotReportedDestroyed) {
    struct CCase {
        const char* name;
        off_t nNewLength;
    };
    for (const CCase& c : {CCase{"grown", static_cast<off_t>(kSecret.size() + 4096)},
                           CCase{"shrunk", static_cast<off_t>(kSecret.size() / 3)}}) {
        WriteFile(m_path, kSecret);
        bool bChanged = false;
        const int nFirstWrite = m_files.CallCount(EFileOp::Write) + 1;
        m_host.AbortWhen([&] {
            if (!bChanged && m_files.CallCount(EFileOp::Write) == nFirstWrite) {
                bChanged = ::truncate(m_path.c_str(), c.nNewLength) == 0;
            }
            return false;
        });
        m_host.ClearLines();
        const int nWarnings = m_engine.WarningCount();
        EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::RemovedNotInPlace)
            << c.name;
        ASSERT_TRUE(bChanged);
        EXPECT_EQ(m_host.Lines().back(),
                  "* File " + m_path +
                      " changed while it was being shredded: part of it may remain on the disk")
            << c.name;
        EXPECT_EQ(m_engine.WarningCount(), nWarnings + 1);
        EXPECT_FALSE(Exists(m_path));
    }
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

// With --verify, a file another program grows or cuts during the last pass is reported as
// changed, and what that pass wrote is what is read back: the part grown on was written by
// nobody, the part cut off is gone.
TEST_F(OutcomeTest, VerifyReportsAChangeInTheLastPassAsAChange) {
    m_engine.SetVerify(true);
    for (const bool bGrow : {true, false}) {
        WriteFile(m_path, kSecret);
        bool bChanged = false;
        const int nLastPassWrite = m_files.CallCount(EFileOp::Write) + 7;  // 3 passes, 3 chunks
        m_host.AbortWhen([&] {
            if (!bChanged && m_files.CallCount(EFileOp::Write) == nLastPassWrite) {
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND);
                bChanged = bGrow ? ::write(fd, "grown", 5) == 5
                                 : ::ftruncate(fd, static_cast<off_t>(kSecret.size() / 3)) == 0;
                ::close(fd);
            }
            return false;
        });
        m_host.ClearLines();
        EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::RemovedNotInPlace)
            << (bGrow ? "grown" : "cut");
        ASSERT_TRUE(bChanged);
        EXPECT_EQ(m_host.Lines().back(),
                  "* File " + m_path +
                      " changed while it was being shredded: part of it may remain on the disk");
        EXPECT_FALSE(Exists(m_path));
    }
    EXPECT_EQ(m_engine.FailureCount(), 0);
}

// Holes hold nothing to destroy: only the ranges that hold data are written, with every pass.
TEST_F(OutcomeTest, OnlyTheDataOfASparseFileIsWritten) {
    const std::string sparse = m_dir / "sparse";
    const off_t nHole = off_t{1} << 30;  // a gibibyte of nothing, then the data
    WriteFile(sparse, "");
    const int fd = ::open(sparse.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "tail data", 9, nHole), 9);
    ::close(fd);
    CFakeFileSystem recording;
    CWipeEngine engine(recording, m_host);
    engine.SetWipeMethod(1);
    ASSERT_EQ(engine.WipeFile(sparse, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    ASSERT_EQ(recording.m_passBytes.size(), 3u);
    for (const std::int64_t nBytes : recording.m_passBytes) {
        EXPECT_LE(nBytes, 64 * 1024);  // the data's block, whatever its size here
    }
    struct stat st {};
    ASSERT_EQ(::stat(sparse.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, nHole + 9);
    EXPECT_LT(st.st_blocks * 512, 1024 * 1024);  // the holes stayed holes
    const int in = ::open(sparse.c_str(), O_RDONLY);
    char tail[9] = {};
    ASSERT_EQ(::pread(in, tail, sizeof tail, nHole), 9);
    ::close(in);
    EXPECT_EQ(std::string(tail, 9), std::string(9, '\0'));
}

// Where overwriting in place cannot reach the old blocks, the file is still shredded and
// removed, and a warning line says what may remain.
TEST_F(OutcomeTest, CopyOnWriteAndSharedDataAreSaidPlainly) {
    CVolumeFacts btrfs;
    btrfs.m_strType = "btrfs";
    btrfs.m_bCopyOnWrite = true;
    m_files.PretendVolume(btrfs);
    EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::RemovedNotInPlace);
    const std::vector<std::string> expected = {
        "Wipeing file " + m_path,
        "* File " + m_path +
            " is on btrfs, which writes new data to new places: old copies of its contents "
            "may remain on the disk",
        "File " + m_path + " successfuly deleted "};
    EXPECT_EQ(m_host.Lines(), expected);

    CFakeFileSystem shared;
    shared.PretendSharedData();
    CWipeEngine engine(shared, m_host);
    WriteFile(m_path, kSecret);
    EXPECT_EQ(engine.WipeFile(m_path, EWipeMode::RecycleBin), EWipeOutcome::RemovedNotInPlace);
    EXPECT_EQ(m_host.Lines()[m_host.Lines().size() - 2],
              "* File " + m_path +
                  " shares its data with another file: old copies of its contents may remain "
                  "on the disk");
    EXPECT_EQ(m_engine.WarningCount() + engine.WarningCount(), 2);
    EXPECT_EQ(m_engine.FailureCount() + engine.FailureCount(), 0);
}

// Copies the file system keeps out of the passes' reach: each is said before the passes, and
// a file whose data lies in an overlay's lower layer only is never opened for writing (that
// would copy it up), only removed.
TEST_F(OutcomeTest, CopiesOutOfReachAreSaidBeforeThePasses) {
    struct CCase {
        EKeptCopy kept;
        std::string line;
        bool bWritten;
    };
    const std::string file = "* File " + m_path;
    const CCase cases[] = {
        {EKeptCopy::LowerLayer,
         file + " is on an overlay: its first copy stays in the lower layer, which is never "
                "written; the file is removed without being overwritten: old copies of its "
                "contents may remain on the disk",
         false},
        {EKeptCopy::AlsoLowerLayer,
         file + " is on an overlay: its first copy stays in the lower layer, which is never "
                "written; only the copy above it is overwritten: old copies of its contents may "
                "remain on the disk",
         true},
        {EKeptCopy::MaybeLowerLayer,
         file + " is on an overlay whose layers cannot be seen: its first copy may stay in a "
                "lower layer, which is never written: old copies of its contents may remain on "
                "the disk",
         true},
        {EKeptCopy::Journal,
         file + " is on a file system that journals file data (data=journal): copies of its "
                "contents in the journal may remain on the disk",
         true},
        {EKeptCopy::InlineData,
         file + " keeps its data inside its inode (inline data): copies of its contents in "
                "the journal may remain on the disk",
         true},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.line);
        WriteFile(m_path, kSecret);
        CFakeFileSystem files;
        files.PretendKeptCopy(c.kept);
        CRecordingHost host;
        CWipeEngine engine(files, host);
        EXPECT_EQ(engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::RemovedNotInPlace);
        ASSERT_GE(host.Lines().size(), 2u);
        EXPECT_EQ(host.Lines()[0], "Wipeing file " + m_path);
        EXPECT_EQ(host.Lines()[1], c.line);
        EXPECT_EQ(files.CallCount(EFileOp::Write) > 0, c.bWritten);
        EXPECT_EQ(files.CallCount(EFileOp::Rename) > 0, c.bWritten);
        EXPECT_FALSE(Exists(m_path));
        EXPECT_EQ(engine.RunOutcome(), EWipeOutcome::RemovedNotInPlace);
    }
}

// --verify reads the last pass back from the medium: a write that stored something else is
// caught, and the file is left in place, overwritten, for another run.
TEST_F(OutcomeTest, VerifyCatchesAWriteThatDidNotStoreWhatItWasGiven) {
    m_engine.SetVerify(true);
    const std::string secret(2 * CPassWriter::kChunkBytes + 100, 's');
    for (const int nMethod : {1, 3}) {
        WriteFile(m_path, secret);
        m_engine.SetWipeMethod(nMethod);
        EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::Destroyed)
            << "an honest disk, method " << nMethod;
    }
    WriteFile(m_path, secret);
    m_engine.SetWipeMethod(3);
    m_files.LieOnWrite(3 * 30 - 1);  // the second chunk of the last pass
    m_host.ClearLines();
    EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::Failed);
    EXPECT_EQ(m_host.Lines().back(), "* File " + m_path + " did not read back as written at byte " +
                                         std::to_string(CPassWriter::kChunkBytes) +
                                         "; it was left in place");
    EXPECT_EQ(ReadFile(m_path).size(), secret.size());
    EXPECT_EQ(m_engine.FailureCount(), 1);
}

// A file read back in several pieces, each read while the one before is compared: a byte the
// disk did not store is found at its offset in whichever piece it lies, and a read that fails
// in a later piece is said; either way the file is left in place, overwritten.
TEST_F(OutcomeTest, EveryPieceOfALargeFileIsReadBackAndCompared) {
    constexpr std::int64_t kPiece = CReadAhead::kPieceBytes;
    constexpr std::int64_t kChunk = CPassWriter::kChunkBytes;
    const std::string secret(static_cast<std::size_t>(2 * kPiece + kChunk + 100), 's');
    struct CCase {
        int nLieOnWrite;   // 1-based, one pass of 256 KiB writes; 0: none
        int nFailOnRead;   // 1-based; 0: none
        std::int64_t nAt;  // the offset the line names
    };
    for (const CCase& c : {CCase{0, 0, -1}, CCase{41, 0, 40 * kChunk},
                           CCase{2 * kPiece / kChunk + 2, 0, 2 * kPiece + kChunk}, CCase{0, 2, -1},
                           CCase{0, 3, -1}}) {
        SCOPED_TRACE(c.nLieOnWrite * 100 + c.nFailOnRead);
        WriteFile(m_path, secret);
        m_engine.SetWipeMethod(0);
        m_engine.SetVerify(true);
        if (c.nLieOnWrite > 0) {
            m_files.LieOnWrite(c.nLieOnWrite);
        }
        if (c.nFailOnRead > 0) {
            m_files.FailOn(EFileOp::ReadBack, kCauseHardIO, c.nFailOnRead);
        }
        m_host.ClearLines();
        const bool bHonest = c.nLieOnWrite == 0 && c.nFailOnRead == 0;
        EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal),
                  bHonest ? EWipeOutcome::Destroyed : EWipeOutcome::Failed);
        if (c.nLieOnWrite > 0) {
            EXPECT_EQ(m_host.Lines().back(), "* File " + m_path +
                                                 " did not read back as written at byte " +
                                                 std::to_string(c.nAt) + "; it was left in place");
        } else if (c.nFailOnRead > 0) {
            EXPECT_EQ(m_host.Lines().back().rfind("* Error verifying file " + m_path + ": ", 0), 0u)
                << m_host.Lines().back();
        }
        EXPECT_EQ(Exists(m_path), !bHonest);
        if (!bHonest) {
            EXPECT_EQ(ReadFile(m_path).size(), secret.size());
        }
        ::unlink(m_path.c_str());
    }
}

// Where the read-back can only come from the system's cache, the file is destroyed as before,
// and a line says what the read-back proved; the outcome is not lowered for it.
TEST_F(OutcomeTest, AReadBackFromTheCacheIsSaidSo) {
    m_files.PretendCachedReadBack();
    m_engine.SetVerify(true);
    EXPECT_EQ(m_engine.WipeFile(m_path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_EQ(m_host.Lines(),
              (std::vector<std::string>{
                  "Wipeing file " + m_path,
                  "* File " + m_path +
                      " read back as written, but from the system's cache, not from the disk: "
                      "this system offers no way to read a file held for shredding from the "
                      "disk itself; had a write not reached it, old copies of its contents may "
                      "remain on the disk",
                  "File " + m_path + " successfuly deleted "}));
    EXPECT_EQ(m_engine.RunOutcome(), EWipeOutcome::Destroyed);
}

}  // namespace quorrel::test

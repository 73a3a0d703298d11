// The file layer's failure texts, its errno mapping, and which name each failing operation of
// the real backend puts into its text.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixErrno.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

// Every cause with the text the log must show for the name "x.dat".
const std::vector<std::pair<int, std::string>> kTexts = {
    {0, "No error occurred."},
    {1, "An unknown error occurred while accessing x.dat."},
    {2, "x.dat was not found."},
    {3, "x.dat contains an invalid path."},
    {4, "x.dat could not be opened because there are too many open files."},
    {5, "Access to x.dat was denied."},
    {6, "An invalid file handle was associated with x.dat."},
    {7, "x.dat could not be removed because it is the current directory."},
    {8, "x.dat could not be created because the directory is full."},
    {9, "Seek failed on x.dat"},
    {10, "A hardware I/O error was reported while accessing x.dat."},
    {11, "A sharing violation occurred while accessing x.dat."},
    {12, "A locking violation occurred while accessing x.dat."},
    {13, "Disk full while accessing x.dat."},
    {14, "An attempt was made to access x.dat past its end."},
    {15, "x.dat would grow past the file size this program may write (a file size limit)."},
    {16, "x.dat is in use as a running program or a swap area; it is never written."},
    {17, "x.dat was replaced by another entry; it was left alone."},
};

TEST(PlatformFileError, EveryCauseHasItsText) {
    for (const auto& [nCause, text] : kTexts) {
        EXPECT_EQ(FormatFileError(nCause, "x.dat"), text) << "cause " << nCause;
        const CFileError error{nCause, "x.dat", 0};
        EXPECT_EQ(error.GetErrorMessage(), text) << "cause " << nCause;
    }
    // A default failure speaks of no file in particular.
    EXPECT_EQ(CFileError{}.m_strFileName, "an unnamed file");
    EXPECT_EQ(FormatFileError(kCauseFileNotFound, kUnnamedFile), "an unnamed file was not found.");
    // A cause outside the table reads as the unknown error.
    EXPECT_EQ(FormatFileError(18, "x.dat"), kTexts[1].second);
    EXPECT_EQ(FormatFileError(-1, "x.dat"), kTexts[1].second);
}

TEST(PlatformFileError, TextIsCutTo98Characters) {
    // The name alone nearly fills the text: the template's words are what gets cut.
    const std::string name(97, 'n');
    const std::string notFound = FormatFileError(kCauseFileNotFound, name);
    EXPECT_EQ(notFound, name + " ");
    const std::string denied = FormatFileError(kCauseAccessDenied, name);
    EXPECT_EQ(denied, "Access to " + name.substr(0, 88));

    // Exactly 98 stays whole.
    const std::string fits(98 - std::string(" was not found.").size(), 'f');
    EXPECT_EQ(FormatFileError(kCauseFileNotFound, fits), fits + " was not found.");

    // A long path keeps its beginning: the text is cut, never the template's start.
    const std::string longPath = "/" + std::string(300, 'p');
    const std::string cut = FormatFileError(kCauseDiskFull, longPath);
    ASSERT_EQ(cut.size(), 98u);
    EXPECT_EQ(cut, ("Disk full while accessing " + longPath).substr(0, 98));

    // Characters, not bytes: a name of two-byte characters keeps 98 of them, none split.
    std::string wide;
    for (int i = 0; i < 120; ++i) {
        wide += "\xC3\xA4";  // a-umlaut
    }
    const std::string umlauts = FormatFileError(kCauseFileNotFound, wide);
    EXPECT_EQ(umlauts, wide.substr(0, 2 * 98));
    // Bytes that are no valid UTF-8 count one each, as before.
    EXPECT_EQ(FormatFileError(kCauseFileNotFound, std::string(120, '\xFF')).size(), 98u);
}

TEST(PlatformFileError, ErrnoMapsOntoCauses) {
    const std::vector<std::pair<int, int>> mapping = {
        {ENOENT, 2},
        {ENOTDIR, 3},
        {ENAMETOOLONG, 3},
        {EMFILE, 4},
        {ENFILE, 4},
        {EACCES, 5},
        {EPERM, 5},
        {EROFS, 5},
        {EBADF, 6},
        {EIO, 10},
        {EWOULDBLOCK, 11},
        {ENOSPC, 13},
        {EDQUOT, 13},
        {EFBIG, 15},
        {ETXTBSY, 16},
        {ESTALE, 17},
        // Everything the table does not name is the unknown error.
        {EEXIST, 1},
        {EINVAL, 1},
        {ELOOP, 1},
        {ENXIO, 1},
        {EISDIR, 1},
        {EXDEV, 1},
        {EBUSY, 1},
        {ENOTEMPTY, 1},
    };
    for (const auto& [nErrno, nCause] : mapping) {
        EXPECT_EQ(CauseFromErrno(nErrno), nCause) << "errno " << nErrno;
        const CFileError error = ErrnoError(nErrno, "p");
        EXPECT_EQ(error.m_nCause, nCause);
        EXPECT_EQ(error.m_nOsError, nErrno);
        EXPECT_EQ(error.m_strFileName, "p");
    }
    EXPECT_EQ(ErrnoError(ENOENT).m_strFileName, kUnnamedFile);
}

// Keeps the file size limit (and SIGXFSZ) as they were.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = nBytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_oldHandler;
};

// The open names the path exactly as it was passed, with its "." and ".." parts.
TEST(PlatformFileError, FailedOpenNamesThePathAsPassed) {
    CTempDir dir;
    MakeFolder(dir / "sub");
    IFileSystem& fs = SystemFileSystem();

    const std::string missing = dir.Path() + "/sub/.././missing.txt";
    CFileError error;
    EXPECT_EQ(CPathOps(fs).OpenForWrite(missing, error), nullptr);
    EXPECT_EQ(error.m_nCause, kCauseFileNotFound);
    EXPECT_EQ(error.m_strFileName, missing);
    EXPECT_EQ(error.GetErrorMessage(), FormatFileError(2, missing));

    // A file used as a folder is an invalid path; so is a name longer than the system allows.
    WriteFile(dir / "plain", "x");
    const std::string throughFile = dir / "plain/child";
    EXPECT_EQ(CPathOps(fs).OpenForWrite(throughFile, error), nullptr);
    EXPECT_EQ(error.m_nCause, kCauseBadPath);
    EXPECT_EQ(error.m_strFileName, throughFile);

    const std::string tooLong = dir / std::string(300, 'L');
    EXPECT_EQ(CPathOps(fs).OpenForWrite(tooLong, error), nullptr);
    EXPECT_EQ(error.m_nCause, kCauseBadPath);
}

// A write (and a flush) names the full path, whatever the open was given.
TEST(PlatformFileError, FailedWriteNamesTheFullPath) {
    CTempDir dir;
    MakeFolder(dir / "sub");
    WriteFile(dir / "big.bin", std::string(64, 'x'));
    const std::string passed = dir.Path() + "/sub/../big.bin";

    CFileError error;
    std::unique_ptr<IFileHandle> file = CPathOps(SystemFileSystem()).OpenForWrite(passed, error);
    ASSERT_NE(file, nullptr) << error.GetErrorMessage();
    {
        // A real write that cannot go past a size limit: the system refuses it part way.
        CFileSizeLimit limit(16);
        const std::string data(64, 'y');
        EXPECT_FALSE(file->Write(data.data(), data.size(), error));
    }
    EXPECT_EQ(error.m_nOsError, EFBIG);
    EXPECT_EQ(error.m_nCause, kCauseFileTooLarge);
    EXPECT_EQ(error.m_strFileName, dir / "big.bin");
    EXPECT_EQ(error.GetErrorMessage(), FormatFileError(kCauseFileTooLarge, dir / "big.bin"));
    // What fitted under the limit was written; the rest is untouched.
    EXPECT_EQ(ReadFile(dir / "big.bin"), std::string(16, 'y') + std::string(48, 'x'));

    // A closed handle: every later call reports an invalid handle. Writes and flushes still
    // name the full path, the close names no file.
    ASSERT_TRUE(file->Close(error));
    EXPECT_FALSE(file->Write("z", 1, error));
    EXPECT_EQ(error.m_nCause, kCauseInvalidFile);
    EXPECT_EQ(error.m_strFileName, dir / "big.bin");
    EXPECT_FALSE(file->Flush(error));
    EXPECT_EQ(error.m_nCause, kCauseInvalidFile);
    EXPECT_EQ(error.m_strFileName, dir / "big.bin");
    EXPECT_FALSE(file->Close(error));
    EXPECT_EQ(error.m_nCause, kCauseInvalidFile);
    EXPECT_EQ(error.GetErrorMessage(),
              "An invalid file handle was associated with an unnamed file.");
}

// Every failure that is neither an open nor a write speaks of "an unnamed file".
TEST(PlatformFileError, OtherFailuresNameNoFile) {
    CTempDir dir;
    IFileSystem& fs = SystemFileSystem();
    const std::string missing = dir / "missing";
    CFileError error;
    CFileStatus status;

    EXPECT_FALSE(CPathOps(fs).GetStatus(missing, status, error));
    EXPECT_EQ(error.GetErrorMessage(), "an unnamed file was not found.");

    error = CFileError{};
    EXPECT_FALSE(CPathOps(fs).SetReadOnlyAndCheckSharing(missing, status, error));
    EXPECT_EQ(error.GetErrorMessage(), "an unnamed file was not found.");

    error = CFileError{};
    EXPECT_FALSE(CPathOps(fs).Rename(missing, dir / "other", error));
    EXPECT_EQ(error.GetErrorMessage(), "an unnamed file was not found.");

    error = CFileError{};
    EXPECT_FALSE(CPathOps(fs).Delete(missing, error));
    EXPECT_EQ(error.GetErrorMessage(), "an unnamed file was not found.");

    // A lock held elsewhere fails the status check as a sharing violation, still unnamed.
    WriteFile(dir / "held", "x");
    const int fd = ::open((dir / "held").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(CPathOps(fs).GetStatus(dir / "held", status, error));
    error = CFileError{};
    EXPECT_FALSE(CPathOps(fs).SetReadOnlyAndCheckSharing(dir / "held", status, error));
    EXPECT_EQ(error.GetErrorMessage(),
              "A sharing violation occurred while accessing an unnamed file.");
    ::close(fd);
}

}  // namespace
}  // namespace quorrel::test

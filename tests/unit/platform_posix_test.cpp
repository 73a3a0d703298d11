// The POSIX backend on real files: the read-only rule, exclusive opens, links and special
// files, renames that never replace, and looking paths up the way a listing would.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

CPathOps& Fs() {
    static CPathOps ops(SystemFileSystem());
    return ops;
}

std::uint32_t AttributesOf(const std::string& path) {
    CFileStatus status;
    CFileError error;
    EXPECT_TRUE(Fs().GetStatus(path, status, error)) << path << ": " << error.GetErrorMessage();
    return status.m_attributes;
}

void MakeFifo(const std::string& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
}

// Binds a local socket at `path`; the socket stays open until the returned descriptor closes.
int MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof address.sun_path) {
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A lock taken through an open file description of our own, apart from the file layer's.
class CForeignLock {
public:
    CForeignLock(const std::string& path, int nOperation) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        m_bLocked = m_fd >= 0 && ::flock(m_fd, nOperation | LOCK_NB) == 0;
    }
    ~CForeignLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CForeignLock(const CForeignLock&) = delete;
    CForeignLock& operator=(const CForeignLock&) = delete;
    bool Locked() const { return m_bLocked; }

private:
    int m_fd = -1;
    bool m_bLocked = false;
};

// ---- the read-only attribute ----------------------------------------------------------------

// Whoever runs the tests (root in CI), a file whose owner lacks the write bit is not opened.
TEST(PlatformPosixFileSystem, ReadOnlyFileRefusesWriteOpenEvenForRoot) {
    CTempDir dir;
    for (const unsigned mode : {0444u, 0577u, 0000u}) {
        const std::string path = dir / ("ro-" + std::to_string(mode));
        WriteFile(path, "keep me");
        SetMode(path, mode);
        EXPECT_NE(AttributesOf(path) & kAttrReadOnly, 0u) << std::oct << mode;

        CFileError error;
        EXPECT_EQ(Fs().OpenForWrite(path, error), nullptr) << std::oct << mode;
        EXPECT_EQ(error.m_nCause, kCauseAccessDenied);
        EXPECT_EQ(error.GetErrorMessage(), "Access to " + path + " was denied.");
        EXPECT_EQ(ReadFile(path), "keep me");
        EXPECT_EQ(ModeOf(path), mode);
    }
    // The owner's write bit alone is enough to be written, with no read bit at all.
    const std::string writeOnly = dir / "wo";
    WriteFile(writeOnly, "x");
    SetMode(writeOnly, 0200);
    EXPECT_EQ(AttributesOf(writeOnly) & kAttrReadOnly, 0u);
    CFileError error;
    EXPECT_NE(Fs().OpenForWrite(writeOnly, error), nullptr) << error.GetErrorMessage();
}

// SetStatus and SetAttributes store only the owner's write bit, keeping every other bit.
TEST(PlatformPosixFileSystem, ReadOnlyBitIsWrittenAloneAndKeepsOtherModeBits) {
    CTempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, "x");
    SetMode(path, 0444);

    CFileStatus status;
    CFileError error;
    ASSERT_TRUE(Fs().GetStatus(path, status, error));
    status.m_attributes &= ~kAttrReadOnly;
    ASSERT_TRUE(Fs().SetReadOnlyAndCheckSharing(path, status, error)) << error.GetErrorMessage();
    EXPECT_EQ(ModeOf(path), 0644u);
    // Now writable: the open goes through.
    EXPECT_NE(Fs().OpenForWrite(path, error), nullptr) << error.GetErrorMessage();

    SetMode(path, 04751);
    status.m_attributes |= kAttrReadOnly;
    ASSERT_TRUE(Fs().SetReadOnlyAndCheckSharing(path, status, error));
    EXPECT_EQ(ModeOf(path), 04551u);

    EXPECT_TRUE(Fs().SetAttributes(path, 0));
    EXPECT_EQ(ModeOf(path), 04751u);
    EXPECT_TRUE(Fs().SetAttributes(path, 0));  // already writable: nothing to change
    EXPECT_EQ(ModeOf(path), 04751u);

    // Folders carry the bit the same way.
    MakeFolder(dir / "d");
    SetMode(dir / "d", 0555);
    EXPECT_EQ(AttributesOf(dir / "d"), kAttrDirectory | kAttrReadOnly);
    EXPECT_TRUE(Fs().SetAttributes(dir / "d", kAttrDirectory));
    EXPECT_EQ(ModeOf(dir / "d"), 0755u);

    EXPECT_FALSE(Fs().SetAttributes(dir / "missing", 0));
}

// ---- share mode 0 ---------------------------------------------------------------------------

TEST(PlatformPosixFileSystem, FileOpenForWriteIsHeldExclusively) {
    CTempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, "data");
    CFileError error;
    std::unique_ptr<IFileHandle> first = Fs().OpenForWrite(path, error);
    ASSERT_NE(first, nullptr) << error.GetErrorMessage();

    EXPECT_EQ(Fs().OpenForWrite(path, error), nullptr);
    EXPECT_EQ(error.m_nCause, kCauseSharingViolation);
    EXPECT_EQ(error.GetErrorMessage(),
              "A sharing violation occurred while accessing " + path + ".");

    CFileStatus status;
    ASSERT_TRUE(Fs().GetStatus(path, status, error));
    error = CFileError{};
    EXPECT_FALSE(Fs().SetReadOnlyAndCheckSharing(path, status, error));
    EXPECT_EQ(error.m_nCause, kCauseSharingViolation);

    // Closing lets go of the file, and so does dropping the handle without a close.
    ASSERT_TRUE(first->Close(error));
    EXPECT_TRUE(Fs().SetReadOnlyAndCheckSharing(path, status, error)) << error.GetErrorMessage();
    std::unique_ptr<IFileHandle> second = Fs().OpenForWrite(path, error);
    ASSERT_NE(second, nullptr) << error.GetErrorMessage();
    second.reset();
    EXPECT_NE(Fs().OpenForWrite(path, error), nullptr) << error.GetErrorMessage();
    EXPECT_EQ(ReadFile(path), "data");
}

TEST(PlatformPosixFileSystem, LockHeldElsewhereIsASharingViolation) {
    CTempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, "data");
    CFileStatus status;
    CFileError error;
    ASSERT_TRUE(Fs().GetStatus(path, status, error));
    {
        CForeignLock lock(path, LOCK_EX);
        ASSERT_TRUE(lock.Locked());
        EXPECT_EQ(Fs().OpenForWrite(path, error), nullptr);
        EXPECT_EQ(error.m_nCause, kCauseSharingViolation);
        EXPECT_EQ(error.m_strFileName, path);
        error = CFileError{};
        EXPECT_FALSE(Fs().SetReadOnlyAndCheckSharing(path, status, error));
        EXPECT_EQ(error.m_nCause, kCauseSharingViolation);
    }
    {
        // A reader that shares: still no exclusive open for us.
        CForeignLock lock(path, LOCK_SH);
        ASSERT_TRUE(lock.Locked());
        EXPECT_EQ(Fs().OpenForWrite(path, error), nullptr);
        EXPECT_EQ(error.m_nCause, kCauseSharingViolation);
    }
    // Lock gone, file free.
    EXPECT_TRUE(Fs().SetReadOnlyAndCheckSharing(path, status, error)) << error.GetErrorMessage();
    EXPECT_NE(Fs().OpenForWrite(path, error), nullptr) << error.GetErrorMessage();
}

// The kinds of lock another program may hold: flock, a POSIX record lock (fcntl, lockf:
// what databases use) and an open-file-description lock.
enum class ELock { Flock, Record, OpenFile };

bool TakeLock(int fd, ELock kind) {
    struct flock region {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    switch (kind) {
        case ELock::Flock:
            return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        case ELock::Record:
            return ::fcntl(fd, F_SETLK, &region) == 0;
        case ELock::OpenFile:
            return ::fcntl(fd, F_OFD_SETLK, &region) == 0;
    }
    return false;
}

// Another process holding the file with a lock of `kind`, until the object goes.
class CLockingProcess {
public:
    explicit CLockingProcess(const std::string& path, ELock kind = ELock::Flock) {
        int ready[2];
        int release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only the parent may keep the release pipe's writing end, or the child never
            // sees it close.
            ::close(release[1]);
            ::close(ready[0]);
            const int fd = ::open(path.c_str(), O_RDWR);
            const char ok = (fd >= 0 && TakeLock(fd, kind)) ? 'y' : 'n';
            (void)::write(ready[1], &ok, 1);
            char done;
            (void)::read(release[0], &done, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char ok = 'n';
        m_bLocked = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~CLockingProcess() {
        if (m_release >= 0) {
            ::close(m_release);
        }
        if (m_pid > 0) {
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CLockingProcess(const CLockingProcess&) = delete;
    CLockingProcess& operator=(const CLockingProcess&) = delete;
    bool Locked() const { return m_bLocked; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_bLocked = false;
};

TEST(PlatformPosixFileSystem, LockHeldByAnotherProcessIsASharingViolation) {
    CTempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, "data");
    CFileError error;
    for (const ELock kind : {ELock::Flock, ELock::Record, ELock::OpenFile}) {
        CLockingProcess other(path, kind);
        ASSERT_TRUE(other.Locked());
        EXPECT_EQ(Fs().OpenForWrite(path, error), nullptr);
        EXPECT_EQ(error.m_nCause, kCauseSharingViolation) << static_cast<int>(kind);
        CFileStatus status;
        ASSERT_TRUE(Fs().GetStatus(path, status, error));
        error = CFileError{};
        EXPECT_FALSE(Fs().SetReadOnlyAndCheckSharing(path, status, error));
        EXPECT_EQ(error.m_nCause, kCauseSharingViolation) << static_cast<int>(kind);
    }
    EXPECT_NE(Fs().OpenForWrite(path, error), nullptr) << error.GetErrorMessage();
}

// ---- the open file --------------------------------------------------------------------------

TEST(PlatformPosixFileSystem, HandleOverwritesInPlaceAndTruncates) {
    CTempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, "hello world");
    CFileError error;
    std::unique_ptr<IFileHandle> file = Fs().OpenForWrite(path, error);
    ASSERT_NE(file, nullptr);

    // Opening neither truncates nor moves data; the length is the file's.
    EXPECT_EQ(ReadFile(path), "hello world");
    std::int64_t nLength = -1;
    ASSERT_TRUE(file->GetLength(nLength, error));
    EXPECT_EQ(nLength, 11);

    // After the length was taken the position is at the end: a pass starts from the top.
    ASSERT_TRUE(file->SeekToBegin(error));
    ASSERT_TRUE(file->Write("HELLO", 5, error));
    ASSERT_TRUE(file->Flush(error));
    EXPECT_EQ(ReadFile(path), "HELLO world");
    ASSERT_TRUE(file->SeekToBegin(error));
    ASSERT_TRUE(file->Write("01234567890", 11, error));
    EXPECT_EQ(ReadFile(path), "01234567890");

    ASSERT_TRUE(file->Truncate(0, error));
    ASSERT_TRUE(file->Flush(error));
    EXPECT_EQ(ReadFile(path), "");
    ASSERT_TRUE(file->GetLength(nLength, error));
    EXPECT_EQ(nLength, 0);
    EXPECT_TRUE(file->Close(error));
    EXPECT_TRUE(Exists(path));
}

TEST(PlatformPosixFileSystem, LinksFoldersAndSpecialFilesAreNeverOpenedForWriting) {
    CTempDir dir;
    WriteFile(dir / "target", "target data");
    ASSERT_TRUE(MakeLink(dir / "target", dir / "link"));
    MakeFolder(dir / "folder");
    MakeFifo(dir / "fifo");
    CFileError error;

    EXPECT_EQ(Fs().OpenForWrite(dir / "link", error), nullptr);
    EXPECT_EQ(error.m_strFileName, dir / "link");
    EXPECT_EQ(ReadFile(dir / "target"), "target data");

    EXPECT_EQ(Fs().OpenForWrite(dir / "folder", error), nullptr);

    // A FIFO nobody reads: refused at once, never waited on.
    EXPECT_EQ(Fs().OpenForWrite(dir / "fifo", error), nullptr);
    // A FIFO with a reader: the open itself would work, the file layer still refuses.
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    error = CFileError{};
    EXPECT_EQ(Fs().OpenForWrite(dir / "fifo", error), nullptr);
    EXPECT_EQ(error.m_nCause, kCauseAccessDenied);
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0);  // nothing was written into it
    ::close(reader);
}

// ---- attributes -----------------------------------------------------------------------------

TEST(PlatformPosixFileSystem, StatusDescribesTheEntryItselfNeverALinkTarget) {
    CTempDir dir;
    WriteFile(dir / "plain", "12345");
    WriteFile(dir / ".hidden", "");
    MakeFolder(dir / "folder");
    MakeFolder(dir / ".hiddenfolder");
    WriteFile(dir / "ro", "");
    SetMode(dir / "ro", 0444);
    ASSERT_TRUE(MakeLink(dir / "ro", dir / "link-to-ro"));
    ASSERT_TRUE(MakeLink(dir / "folder", dir / "link-to-folder"));
    ASSERT_TRUE(MakeLink(dir / "nowhere", dir / "dangling"));
    MakeFifo(dir / "fifo");
    const int sock = MakeSocket(dir / "sock");
    ASSERT_GE(sock, 0);

    CFileStatus status;
    CFileError error;
    ASSERT_TRUE(Fs().GetStatus(dir / "plain", status, error));
    EXPECT_EQ(status.m_attributes, 0u);
    EXPECT_EQ(status.m_size, 5);
    EXPECT_TRUE(IsPlainFile(status.m_attributes));

    EXPECT_EQ(AttributesOf(dir / ".hidden"), kAttrHidden);
    EXPECT_EQ(AttributesOf(dir / "folder"), kAttrDirectory);
    EXPECT_EQ(AttributesOf(dir / ".hiddenfolder"), kAttrDirectory | kAttrHidden);
    EXPECT_EQ(AttributesOf(dir / "ro"), kAttrReadOnly);

    // A link is a link, whatever it points at (or whether it points anywhere).
    for (const char* name : {"link-to-ro", "link-to-folder", "dangling"}) {
        ASSERT_TRUE(Fs().GetStatus(dir / name, status, error)) << name;
        EXPECT_EQ(status.m_attributes, kAttrReparsePoint) << name;
        EXPECT_FALSE(IsPlainFile(status.m_attributes));
    }
    ASSERT_TRUE(Fs().GetStatus(dir / "link-to-folder", status, error));
    EXPECT_EQ(status.m_size, static_cast<std::int64_t>((dir / "folder").size()));

    EXPECT_EQ(AttributesOf(dir / "fifo") & ~kAttrReadOnly, kAttrDevice);
    EXPECT_EQ(AttributesOf(dir / "sock") & ~kAttrReadOnly, kAttrDevice);
    EXPECT_FALSE(IsPlainFile(AttributesOf(dir / "fifo")));
    ::close(sock);
}

TEST(PlatformPosixFileSystem, SetAttributesLeavesALinkAndItsTargetAlone) {
    CTempDir dir;
    WriteFile(dir / "writable", "w");
    SetMode(dir / "writable", 0644);
    WriteFile(dir / "readonly", "r");
    SetMode(dir / "readonly", 0444);
    ASSERT_TRUE(MakeLink(dir / "writable", dir / "to-writable"));
    ASSERT_TRUE(MakeLink(dir / "readonly", dir / "to-readonly"));

    EXPECT_TRUE(Fs().SetAttributes(dir / "to-writable", kAttrReadOnly));
    EXPECT_TRUE(Fs().SetAttributes(dir / "to-readonly", 0));
    EXPECT_EQ(ModeOf(dir / "writable"), 0644u);
    EXPECT_EQ(ModeOf(dir / "readonly"), 0444u);

    // The status check of a link neither changes the target nor opens it.
    CFileStatus status;
    CFileError error;
    Fs().SetReadOnlyAndCheckSharing(dir / "to-readonly", status, error);
    EXPECT_EQ(ModeOf(dir / "readonly"), 0444u);
    EXPECT_EQ(ReadFile(dir / "readonly"), "r");
}

// ---- rename and delete ----------------------------------------------------------------------

TEST(PlatformPosixFileSystem, RenameNeverReplacesAnExistingEntry) {
    CTempDir dir;
    WriteFile(dir / "a", "A");
    WriteFile(dir / "b", "B");
    ASSERT_TRUE(MakeLink(dir / "nowhere", dir / "dangling"));
    MakeFolder(dir / "d1");
    MakeFolder(dir / "d2");
    CFileError error;

    EXPECT_FALSE(Fs().Rename(dir / "a", dir / "b", error));
    EXPECT_EQ(error.GetErrorMessage(),
              "An unknown error occurred while accessing an unnamed file.");
    EXPECT_EQ(ReadFile(dir / "a"), "A");
    EXPECT_EQ(ReadFile(dir / "b"), "B");

    // Even a dangling link is an entry in the way.
    EXPECT_FALSE(Fs().Rename(dir / "a", dir / "dangling", error));
    EXPECT_EQ(ReadFile(dir / "a"), "A");
    EXPECT_FALSE(Exists(dir / "nowhere"));

    // rename(2) would put a folder over an empty one; this layer does not.
    EXPECT_FALSE(Fs().Rename(dir / "d1", dir / "d2", error));
    EXPECT_TRUE(Exists(dir / "d1"));

    ASSERT_TRUE(Fs().Rename(dir / "a", dir / "c", error)) << error.GetErrorMessage();
    EXPECT_FALSE(Exists(dir / "a"));
    EXPECT_EQ(ReadFile(dir / "c"), "A");
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"b", "c", "d1", "d2", "dangling"}));
}

TEST(PlatformPosixFileSystem, DeleteRemovesTheEntryNeverWhatItPointsAt) {
    CTempDir dir;
    WriteFile(dir / "target", "t");
    ASSERT_TRUE(MakeLink(dir / "target", dir / "link"));
    MakeFifo(dir / "fifo");
    MakeFolder(dir / "folder");
    WriteFile(dir / "folder/inside", "i");
    CFileError error;

    EXPECT_TRUE(Fs().Delete(dir / "link", error));
    EXPECT_TRUE(Fs().Delete(dir / "fifo", error));
    EXPECT_EQ(ReadFile(dir / "target"), "t");
    EXPECT_FALSE(Fs().Delete(dir / "folder", error));
    EXPECT_FALSE(Fs().RemoveFolder(dir / "folder"));  // not empty
    EXPECT_TRUE(Exists(dir / "folder/inside"));
    ASSERT_TRUE(Fs().Delete(dir / "folder/inside", error));
    EXPECT_TRUE(Fs().RemoveFolder(dir / "folder"));
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"target"});
}

// ---- looking up and listing -----------------------------------------------------------------

TEST(PlatformPosixFileSystem, FindEntryLooksUpThePathItself) {
    CTempDir dir;
    WriteFile(dir / "file.txt", "x");
    MakeFolder(dir / "folder");
    ASSERT_TRUE(MakeLink(dir / "folder", dir / "link"));
    ASSERT_TRUE(MakeLink("/", dir / "link-to-root"));
    CDirEntry entry;

    ASSERT_TRUE(Fs().FindEntry(dir / "file.txt", entry));
    EXPECT_EQ(entry.m_strName, "file.txt");
    EXPECT_EQ(entry.m_attributes, 0u);
    ASSERT_TRUE(Fs().FindEntry(dir / "folder", entry));
    EXPECT_EQ(entry.m_strName, "folder");
    EXPECT_EQ(entry.m_attributes, kAttrDirectory);
    // Links are found as links: a link to a folder, even to the root, is not that folder.
    ASSERT_TRUE(Fs().FindEntry(dir / "link", entry));
    EXPECT_EQ(entry.m_attributes, kAttrReparsePoint);
    ASSERT_TRUE(Fs().FindEntry(dir / "link-to-root", entry));
    EXPECT_EQ(entry.m_strName, "link-to-root");
    EXPECT_EQ(entry.m_attributes, kAttrReparsePoint);

    EXPECT_FALSE(Fs().FindEntry(dir / "missing", entry));
    EXPECT_FALSE(Fs().FindEntry("", entry));
    // A trailing separator names the folder before it: a real folder only, never a file or
    // a link to a folder.
    ASSERT_TRUE(Fs().FindEntry(dir.Path() + "/folder//", entry));
    EXPECT_EQ(entry.m_strName, "folder");
    EXPECT_EQ(entry.m_attributes, kAttrDirectory);
    EXPECT_TRUE(Fs().FindEntry(dir.Path() + "/", entry));
    EXPECT_FALSE(Fs().FindEntry(dir.Path() + "/file.txt/", entry));
    EXPECT_FALSE(Fs().FindEntry(dir.Path() + "/link/", entry));
    // Neither is the root, however it is spelt.
    EXPECT_FALSE(Fs().FindEntry("/", entry));
    EXPECT_FALSE(Fs().FindEntry("/.", entry));
    EXPECT_FALSE(Fs().FindEntry("/..", entry));
}

TEST(PlatformPosixFileSystem, FindEntryMatchesPatternsInTheParentFolder) {
    CTempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "ab.dat", "");
    MakeFolder(dir / "sub");
    MakeFolder(dir / "empty");
    CDirEntry entry;

    ASSERT_TRUE(Fs().FindEntry(dir / "*.txt", entry));
    EXPECT_EQ(entry.m_strName, "a.txt");
    EXPECT_EQ(entry.m_attributes, 0u);
    ASSERT_TRUE(Fs().FindEntry(dir / "??.dat", entry));
    EXPECT_EQ(entry.m_strName, "ab.dat");
    ASSERT_TRUE(Fs().FindEntry(dir / "s?b", entry));
    EXPECT_EQ(entry.m_strName, "sub");
    EXPECT_EQ(entry.m_attributes, kAttrDirectory);

    EXPECT_FALSE(Fs().FindEntry(dir / "?.dat", entry));
    EXPECT_FALSE(Fs().FindEntry(dir / "*.none", entry));
    EXPECT_FALSE(Fs().FindEntry(dir / "missing/*", entry));
    // An empty folder holds only "." and "..", which no pattern finds.
    EXPECT_FALSE(Fs().FindEntry(dir / "empty/*", entry));
    EXPECT_FALSE(Fs().FindEntry(dir / "empty/?", entry));
    EXPECT_FALSE(Fs().FindEntry(dir / "empty/??", entry));
}

TEST(PlatformPosixFileSystem, ListFolderGivesEveryEntryWithItsAttributes) {
    CTempDir dir;
    WriteFile(dir / "plain", "");
    WriteFile(dir / ".dot", "");
    MakeFolder(dir / "sub");
    ASSERT_TRUE(MakeLink(dir / "sub", dir / "link"));
    MakeFifo(dir / "fifo");
    WriteFile(dir / "ro", "");
    SetMode(dir / "ro", 0400);
    WriteFile(dir / "sub/deeper", "");

    std::vector<CDirEntry> entries(1);
    entries[0].m_strName = "stale";
    ASSERT_TRUE(Fs().ListFolder(dir.Path(), entries));
    std::map<std::string, std::uint32_t> seen;
    for (const CDirEntry& entry : entries) {
        EXPECT_TRUE(seen.emplace(entry.m_strName, entry.m_attributes).second) << entry.m_strName;
    }
    const std::map<std::string, std::uint32_t> expected = {
        {"plain", 0},
        {".dot", kAttrHidden},
        {"sub", kAttrDirectory},
        {"link", kAttrReparsePoint},
        {"fifo", kAttrDevice},
        {"ro", kAttrReadOnly},
    };
    EXPECT_EQ(seen, expected);

    EXPECT_FALSE(Fs().ListFolder(dir / "missing", entries));
    EXPECT_FALSE(Fs().ListFolder(dir / "plain", entries));
}

TEST(PlatformPosixFileSystem, OnlyTheRootIsTheRoot) {
    CTempDir dir;
    EXPECT_TRUE(Fs().IsFileSystemRoot("/"));
    EXPECT_TRUE(Fs().IsFileSystemRoot("//"));
    EXPECT_TRUE(Fs().IsFileSystemRoot("/."));
    std::string climb = dir.Path();
    for (int i = 0; i < 64; ++i) {
        climb += "/..";
    }
    EXPECT_TRUE(Fs().IsFileSystemRoot(climb));
    EXPECT_FALSE(Fs().IsFileSystemRoot(dir.Path()));
    EXPECT_FALSE(Fs().IsFileSystemRoot(dir / "missing"));
    EXPECT_FALSE(Fs().IsFileSystemRoot(""));
}

}  // namespace
// A path longer than the system takes in one call (PATH_MAX) is reached through the folders
// on its way, relative and absolute alike.
TEST(PlatformPosixFileSystem, APathLongerThanPathMaxIsReached) {
    CTempDir dir;
    int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::string relative;
    for (int i = 0; i < 20; ++i) {  // 20 parts of 251 characters: over 5,000 in all
        const std::string part = "d" + std::string(249, '0') + static_cast<char>('a' + i);
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0700), 0);
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(fd = next, 0);
        relative += part + "/";
    }
    const int file = ::openat(fd, "secret", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(fd);
    relative += "secret";
    ASSERT_GT(relative.size(), static_cast<std::size_t>(PATH_MAX));
    for (const std::string& path : {dir / relative, std::string("./") + relative}) {
        std::string name;
        CFileError error;
        CDirEntry entry;
        const std::string cwd = CurrentDirectory();
        ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
        std::unique_ptr<IFolder> folder = SystemFileSystem().OpenParentOf(path, name, error);
        ASSERT_EQ(::chdir(cwd.c_str()), 0);
        ASSERT_TRUE(folder) << error.GetErrorMessage();
        EXPECT_EQ(name, "secret");
        EXPECT_TRUE(folder->Lookup(name, entry, error));
    }
}

}  // namespace quorrel::test

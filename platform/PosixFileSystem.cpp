// The POSIX backend of the file layer.
//
// Windows notions are given their nearest POSIX meaning: share mode 0 is an exclusive,
// non-blocking advisory lock; the read-only attribute is the owner's missing write bit, and it
// refuses a write open even for root; links and special files are never opened for writing.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileSystem.h"

namespace quorrel {

namespace {

// The name's last part, for the hidden-attribute rule.
std::string BaseName(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::uint32_t AttributesFromStat(const struct stat& st, const std::string& name) {
    std::uint32_t attributes = 0;
    if (S_ISLNK(st.st_mode)) {
        attributes |= kAttrReparsePoint;
    } else if (S_ISDIR(st.st_mode)) {
        attributes |= kAttrDirectory;
    } else if (!S_ISREG(st.st_mode)) {
        attributes |= kAttrDevice;
    }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
        attributes |= kAttrReadOnly;
    }
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
        attributes |= kAttrHidden;
    }
    return attributes;
}

// True when the entry `st` describes is the root folder itself. Judged on the entry, not on
// the path: a link that points at the root is a link, and is found as one.
bool IsRootEntry(const struct stat& st) {
    struct stat root {};
    return ::stat("/", &root) == 0 && root.st_dev == st.st_dev && root.st_ino == st.st_ino;
}

// "a/b//" as "a/b", so that a final link is seen as a link; the root stays "/".
std::string WithoutTrailingSeparators(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') {
        --end;
    }
    return path.substr(0, end);
}

bool HasPattern(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

// A file opened for writing, holding its exclusive lock until it is closed.
class CPosixFile final : public IFileHandle {
public:
    CPosixFile(int fd, std::string strFullPath) : m_fd(fd), m_strFullPath(std::move(strFullPath)) {}
    ~CPosixFile() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CPosixFile(const CPosixFile&) = delete;
    CPosixFile& operator=(const CPosixFile&) = delete;

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        const off_t end = ::lseek(m_fd, 0, SEEK_END);
        if (end < 0) {
            error = ErrnoError(errno);
            return false;
        }
        nLength = static_cast<std::int64_t>(end);
        return true;
    }

    bool SeekToBegin(CFileError& error) override {
        if (::lseek(m_fd, 0, SEEK_SET) < 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool Write(const void* pData, std::size_t nBytes, CFileError& error) override {
        const char* pNext = static_cast<const char*>(pData);
        while (nBytes > 0) {
            const ssize_t written = ::write(m_fd, pNext, nBytes);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = ErrnoError(written < 0 ? errno : ENOSPC, m_strFullPath);
                return false;
            }
            pNext += written;
            nBytes -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Flush(CFileError& error) override {
        if (::fdatasync(m_fd) != 0) {
            error = ErrnoError(errno, m_strFullPath);
            return false;
        }
        // What reached the disk need not stay in memory: the pattern bytes would only crowd
        // out other files' pages, and freeing them later makes the truncation slower.
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
        return true;
    }

    bool Truncate(std::int64_t nLength, CFileError& error) override {
        if (::ftruncate(m_fd, static_cast<off_t>(nLength)) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool Close(CFileError& error) override {
        const int fd = m_fd;
        m_fd = -1;
        if (fd < 0 || ::close(fd) != 0) {
            error = ErrnoError(fd < 0 ? EBADF : errno);
            return false;
        }
        return true;
    }

private:
    int m_fd;
    std::string m_strFullPath;
};

class CPosixFileSystem final : public IFileSystem {
public:
    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        status.m_attributes = AttributesFromStat(st, BaseName(path));
        status.m_size = static_cast<std::int64_t>(st.st_size);
        status.m_mode = st.st_mode;
        return true;
    }

    bool SetStatus(const std::string& path, const CFileStatus& status,
                   CFileError& error) override {
        if (!ApplyReadOnly(path, status.m_attributes, error)) {
            return false;
        }
        // The time stamps are written back as they were read, which changes nothing here;
        // what matters is that the file can be opened while nobody holds it exclusively.
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) {
            // a file its owner may write but not read (mode 0200) can still be shredded
            fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        }
        if (fd < 0) {
            error = ErrnoError(errno);
            return false;
        }
        const bool bShared = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        const int lockErrno = errno;
        ::close(fd);
        if (!bShared) {
            error = ErrnoError(lockErrno);
            return false;
        }
        return true;
    }

    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        CFileError ignored;
        return ApplyReadOnly(path, attributes, ignored);
    }

    std::unique_ptr<IFileHandle> OpenForWrite(const std::string& path,
                                              CFileError& error) override {
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error = ErrnoError(errno, path);
            return nullptr;
        }
        const int refusal = CheckWritable(fd);
        if (refusal != 0) {
            ::close(fd);
            error = ErrnoError(refusal, path);
            return nullptr;
        }
        return std::make_unique<CPosixFile>(fd, FullPath(path));
    }

    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            error = ErrnoError(errno);
            return false;
        }
        return RenameWithoutNoReplace(from, to, error);
    }

    bool Delete(const std::string& path, CFileError& error) override {
        if (::unlink(path.c_str()) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool RemoveFolder(const std::string& path) override { return ::rmdir(path.c_str()) == 0; }

    bool ListFolder(const std::string& folder, std::vector<CDirEntry>& entries) override {
        // The folder itself must not be a link: a walk never leaves the tree it was given.
        const int fd = ::open(WithoutTrailingSeparators(folder).c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
        if (dir == nullptr) {
            if (fd >= 0) {
                ::close(fd);
            }
            return false;
        }
        entries.clear();
        while (const dirent* item = ::readdir(dir)) {
            CDirEntry entry;
            entry.m_strName = item->d_name;
            struct stat st {};
            if (::fstatat(::dirfd(dir), item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.m_attributes = AttributesFromStat(st, entry.m_strName);
            }
            entries.push_back(std::move(entry));
        }
        ::closedir(dir);
        return true;
    }

    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        if (path.empty() || path.back() == '/') {
            return false;
        }
        const std::string name = BaseName(path);
        if (HasPattern(name)) {
            return FindPatternEntry(path, name, entry);
        }
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || IsRootEntry(st)) {
            return false;
        }
        entry.m_strName = name;
        entry.m_attributes = AttributesFromStat(st, name);
        return true;
    }

    bool IsFileSystemRoot(const std::string& path) override {
        struct stat root {};
        struct stat st {};
        if (::stat("/", &root) != 0 || ::stat(path.c_str(), &st) != 0) {
            return false;
        }
        return root.st_dev == st.st_dev && root.st_ino == st.st_ino;
    }

private:
    // Sets or clears the owner's write bit as the read-only attribute asks; links untouched.
    static bool ApplyReadOnly(const std::string& path, std::uint32_t attributes,
                              CFileError& error) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        if (S_ISLNK(st.st_mode)) {
            return true;
        }
        mode_t mode = st.st_mode & 07777;
        mode = (attributes & kAttrReadOnly) != 0 ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
        if (mode == (st.st_mode & 07777)) {
            return true;
        }
        if (::chmod(path.c_str(), mode) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    // Why an opened descriptor may not be written: 0 when it may. A file without the owner's
    // write bit is read-only even for root, special files are never written, and a file
    // someone else holds exclusively is a sharing violation.
    static int CheckWritable(int fd) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            return errno;
        }
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
            return EACCES;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            return errno == EINTR ? EWOULDBLOCK : errno;
        }
        return 0;
    }

    // For file systems without a no-replace rename: a hard link refuses an existing target;
    // where links are not supported either, the target is looked at just before the rename.
    static bool RenameWithoutNoReplace(const std::string& from, const std::string& to,
                                       CFileError& error) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0) {
                return true;
            }
            const int unlinkErrno = errno;
            ::unlink(to.c_str());
            error = ErrnoError(unlinkErrno);
            return false;
        }
        if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK &&
                                errno != ENOSYS && errno != EXDEV)) {
            error = ErrnoError(errno);
            return false;
        }
        struct stat st {};
        if (::lstat(to.c_str(), &st) == 0) {
            error = ErrnoError(EEXIST);
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool FindPatternEntry(const std::string& path, const std::string& pattern,
                          CDirEntry& entry) {
        const std::string folder = ParentFolder(path);
        std::vector<CDirEntry> entries;
        if (!ListFolder(folder, entries)) {
            return false;
        }
        for (const CDirEntry& candidate : entries) {
            if (candidate.m_strName == "." || candidate.m_strName == "..") {
                continue;
            }
            if (::fnmatch(pattern.c_str(), candidate.m_strName.c_str(), FNM_PERIOD) == 0) {
                entry = candidate;
                return true;
            }
        }
        return false;
    }
};

}  // namespace

IFileSystem& SystemFileSystem() {
    static CPosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace quorrel

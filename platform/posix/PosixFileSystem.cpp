// The POSIX backend of the file layer: where a path from the user is resolved, once.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/PosixSupport.h"

namespace quorrel {

namespace {

// Opens the folder `path` names, following links in it (the user named it), as a bare
// reference. -1 with errno set when it can't.
int OpenNamedFolder(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::fstat(fd, &st) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class CPosixFileSystem final : public IFileSystem {
public:
    std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                          CFileError& error) override {
        name = LastPathPart(path);
        if (name.empty() || IsDotName(name)) {
            error = ErrnoError(EINVAL);
            error.m_nCause = kCauseBadPath;
            return nullptr;
        }
        struct stat st {};
        const int fd = OpenNamedFolder(ParentFolder(path), st);
        if (fd < 0) {
            error = ErrnoError(errno);
            return nullptr;
        }
        return posix::MakeFolder(fd, posix::IdOfStat(st));
    }

    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        status.m_attributes = posix::AttributesFromMode(st.st_mode, LastPathPart(path));
        status.m_size = static_cast<std::int64_t>(st.st_size);
        status.m_mode = st.st_mode;
        return true;
    }

    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        struct stat root {};
        if (!FindNamedEntry(*this, path, entry) || ::stat("/", &root) != 0) {
            return false;
        }
        // Judged on the entry, not on the path: a link that points at the root is a link, and
        // is found as one.
        return entry.m_id != posix::IdOfStat(root);
    }

    bool IsFileSystemRoot(const std::string& path) override {
        struct stat root {};
        struct stat st {};
        if (::stat("/", &root) != 0 || ::stat(path.c_str(), &st) != 0) {
            return false;
        }
        return root.st_dev == st.st_dev && root.st_ino == st.st_ino;
    }

    std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) override {
        struct stat st {};
        const int fd = OpenNamedFolder(path, st);
        if (fd < 0) {
            error = ErrnoError(errno);
            return nullptr;
        }
        return posix::MakeFolder(fd, posix::IdOfStat(st));
    }
};

}  // namespace

IFileSystem& SystemFileSystem() {
    static CPosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace quorrel

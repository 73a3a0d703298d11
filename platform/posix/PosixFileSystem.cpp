// The POSIX backend of the file layer: where a path from the user is resolved, once.
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/PosixSupport.h"

namespace quorrel {

namespace {

// True when the entry `st` describes is the root folder itself. Judged on the entry, not on
// the path: a link that points at the root is a link, and is found as one.
bool IsRootEntry(const struct stat& st) {
    struct stat root {};
    return ::stat("/", &root) == 0 && root.st_dev == st.st_dev && root.st_ino == st.st_ino;
}

bool HasPattern(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

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
        if (path.empty() || path.back() == '/') {
            return false;
        }
        const std::string name = LastPathPart(path);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            if (IsRootEntry(st)) {
                return false;
            }
            entry.m_strName = name;
            entry.m_attributes = posix::AttributesFromMode(st.st_mode, name);
            return true;
        }
        // A name with pattern characters is a pattern only when no entry has it literally.
        return HasPattern(name) && FindPatternEntry(path, name, entry);
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

private:
    bool FindPatternEntry(const std::string& path, const std::string& pattern, CDirEntry& entry) {
        std::string ignored;
        CFileError error;
        std::unique_ptr<IFolder> folder = OpenParentOf(path, ignored, error);
        std::vector<CDirEntry> entries;
        if (!folder || !folder->List(entries, error)) {
            return false;
        }
        for (const CDirEntry& candidate : entries) {
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

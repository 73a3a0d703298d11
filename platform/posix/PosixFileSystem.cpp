// The POSIX backend of the file layer: where a path from the user is resolved, once.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#include "platform/posix/PosixSupport.h"

namespace quorrel {

namespace {

// The folder a path longer than the system takes at once names: resolved a stretch of whole
// parts at a time, each from the folder the stretch before it opened, as the system resolves
// the whole (links followed, ".." taken from the folder reached). None with errno set.
posix::CFd OpenLongFolderPath(const std::string& path) {
    constexpr std::size_t kStretch = PATH_MAX / 2;
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    posix::CFd at(path[0] == '/' ? ::open("/", kFlags) : ::open(".", kFlags));
    for (std::size_t start = 0; at.IsOpen() && start < path.size();) {
        std::size_t end = path.size();
        if (end - start > kStretch) {
            end = path.rfind('/', start + kStretch);
            if (end == std::string::npos || end <= start) {
                errno = ENAMETOOLONG;  // one part longer than a stretch: no name is that long
                return posix::CFd();
            }
        }
        const std::string stretch = path.substr(start, end - start);
        start = end + 1;
        if (stretch.find_first_not_of('/') != std::string::npos) {
            at = posix::CFd(::openat(at.Get(), stretch.c_str(), kFlags));
        }
    }
    return at;
}

// Opens the folder `path` names, following links in it (the user named it), as a bare
// reference; a path too long for one call is reached through the folders on its way. None
// with errno set when it can't.
posix::CFd OpenNamedFolder(const std::string& path, struct stat& st) {
    posix::CFd fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen() && errno == ENAMETOOLONG) {
        fd = OpenLongFolderPath(path);
    }
    if (fd.IsOpen() && ::fstat(fd.Get(), &st) != 0) {
        fd.Reset();
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
        posix::CFd fd = OpenNamedFolder(ParentFolder(path), st);
        if (!fd.IsOpen()) {
            error = ErrnoError(errno);
            return nullptr;
        }
        return posix::MakeFolder(std::move(fd), posix::IdOfStat(st));
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
        posix::CFd fd = OpenNamedFolder(path, st);
        if (!fd.IsOpen()) {
            error = ErrnoError(errno);
            return nullptr;
        }
        return posix::MakeFolder(std::move(fd), posix::IdOfStat(st));
    }

    // One look at the path, where opening it as a folder costs an open, a status, the mount
    // and later the volume's facts and a close.
    bool LeadsToFolder(const std::string& path, const IFolder& folder) override {
        struct statx stx {};
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_INO | STATX_MNT_ID, &stx) != 0 ||
            (stx.stx_mask & STATX_MNT_ID) == 0 || !S_ISDIR(stx.stx_mode)) {
            return false;
        }
        const CFileId id{(std::uint64_t{stx.stx_dev_major} << 32) | stx.stx_dev_minor, stx.stx_ino};
        return id == folder.GetId() && folder.GetMount() != 0 &&
               stx.stx_mnt_id == folder.GetMount();
    }
    // Folders guard what they keep between calls, files are each one thread's, and every
    // step reaches the system through the descriptors alone. As many as the descriptor limit
    // leaves room for: a file in flight holds its own, its folder's and a reopened one, and
    // the run keeps some for itself (the folders a list run refills, the walk, the log).
    int MaxFilesInFlight() const override {
        constexpr rlim_t kRunDescriptors = 24;
        constexpr rlim_t kDescriptorsPerFile = 3;
        constexpr rlim_t kMostFiles = 64;
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
            return static_cast<int>(kMostFiles);
        }
        const rlim_t nFree =
            limit.rlim_cur > kRunDescriptors ? limit.rlim_cur - kRunDescriptors : 0;
        return static_cast<int>(
            std::max<rlim_t>(1, std::min(kMostFiles, nFree / kDescriptorsPerFile)));
    }
};

}  // namespace

IFileSystem& SystemFileSystem() {
    static CPosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace quorrel

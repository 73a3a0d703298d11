// The POSIX backend's volume pieces: free space, new entries made by the program itself, and
// the top folder of a mount.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/posix/PosixSupport.h"

namespace quorrel::posix {

namespace {

// The path /proc gives for the open folder `fd`; empty where /proc is missing or the folder
// is no longer reachable by a path.
std::string PathOfFolder(int fd) {
    const int procFolder = ProcFdFolder();
    if (procFolder < 0) {
        return std::string();
    }
    std::string target(4096, '\0');
    const ssize_t nLength =
        ::readlinkat(procFolder, std::to_string(fd).c_str(), &target[0], target.size());
    if (nLength <= 0 || static_cast<std::size_t>(nLength) >= target.size()) {
        return std::string();
    }
    target.resize(static_cast<std::size_t>(nLength));
    return target.compare(0, 1, "/") == 0 ? target : std::string();
}

}  // namespace

bool SpaceOf(int fd, CVolumeSpace& space, CFileError& error) {
    struct statvfs sv {};
    if (::fstatvfs(fd, &sv) != 0) {
        error = ErrnoError(errno);
        return false;
    }
    const std::int64_t nUnit =
        static_cast<std::int64_t>(sv.f_frsize != 0 ? sv.f_frsize : sv.f_bsize);
    space.m_nBlockBytes = nUnit;
    space.m_nTotalBytes = static_cast<std::int64_t>(sv.f_blocks) * nUnit;
    space.m_nFreeBytes = static_cast<std::int64_t>(sv.f_bfree) * nUnit;
    space.m_nAvailableBytes = static_cast<std::int64_t>(sv.f_bavail) * nUnit;
    // The reserve is kept for the administrator (user 0, or a capability we don't look for).
    space.m_bMayUseReserve = ::geteuid() == 0;
    space.m_bReadOnly = (sv.f_flag & ST_RDONLY) != 0;
    return true;
}

CTrimResult TrimFreeSpaceOf(int fd, std::int64_t nStart, std::int64_t nLength) {
    CTrimResult result;
    // The ioctl wants a descriptor opened for reading; the folder's own is a bare reference.
    CFd folder(::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct fstrim_range range {};
    range.start = static_cast<std::uint64_t>(nStart);
    range.len = nLength < 0 ? ULLONG_MAX : static_cast<std::uint64_t>(nLength);
    range.minlen = 0;
    if (folder.IsOpen() && ::ioctl(folder.Get(), FITRIM, &range) == 0) {
        result.m_eResult = ETrim::Done;
        result.m_nBytes = static_cast<std::int64_t>(range.len);  // what the file system trimmed
        return result;
    }
    const int nError = errno;
    result.m_strWhy = std::strerror(nError);
    if (nError == EOPNOTSUPP) {
        result.m_eResult = ETrim::Unsupported;
    } else if (nError == EPERM || nError == EACCES) {
        result.m_eResult = ETrim::NotAllowed;
    } else if (nError == ENOTTY || nError == EINVAL || nError == ENOSYS) {
        result.m_eResult = ETrim::NotOffered;
        result.m_strWhy = "the file system does not take the request";
    } else {
        result.m_eResult = ETrim::Failed;
    }
    return result;
}

std::unique_ptr<IFolder> CreateFolderIn(int dirFd, const std::string& name, std::uint32_t nMode,
                                        CFileError& error) {
    if (::mkdirat(dirFd, name.c_str(), static_cast<mode_t>(nMode & 0777)) != 0) {
        error = ErrnoError(errno);
        return nullptr;
    }
    CFd fd(::openat(dirFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &st) != 0) {
        error = ErrnoError(errno);
        fd.Reset();
        ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);  // made just now: it goes again
        return nullptr;
    }
    // The umask may have taken bits away; only the owner's bits are asked for anyway.
    return MakeFolder(std::move(fd), IdOfStat(st));
}

std::unique_ptr<IFileHandle> CreateFileIn(int dirFd, const std::string& name,
                                          const std::string& displayPath, CFileError& error) {
    CFd fd(::openat(dirFd, name.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.IsOpen()) {
        error = ErrnoError(errno, displayPath);
        return nullptr;
    }
    return MakeFile(std::move(fd), FullPath(displayPath));
}

std::unique_ptr<IFolder> OpenTopOf(int fd, std::string& topPath, CFileError& error) {
    const std::uint64_t nMount = MountOf(fd);
    CFd current(::openat(fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!current.IsOpen() || ::fstat(current.Get(), &st) != 0) {
        error = ErrnoError(errno);
        return nullptr;
    }
    for (;;) {
        CFd parent(::openat(current.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat up {};
        if (!parent.IsOpen() || ::fstat(parent.Get(), &up) != 0) {
            break;
        }
        const bool bSame = up.st_dev == st.st_dev && up.st_ino == st.st_ino;  // the root
        const bool bOtherMount =
            up.st_dev != st.st_dev || (nMount != 0 && MountOf(parent.Get()) != nMount);
        if (bSame || bOtherMount) {
            break;
        }
        current = std::move(parent);
        st = up;
    }
    topPath = PathOfFolder(current.Get());
    return MakeFolder(std::move(current), IdOfStat(st));
}

}  // namespace quorrel::posix

// The POSIX backend's shared pieces: entry status, mounts, file system types and locks.
#include "platform/posix/PosixSupport.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace quorrel::posix {

namespace {

// File system types by the number statfs reports.
struct CKnownType {
    unsigned long nMagic;
    const char* name;
    bool bPseudo;
    bool bCopyOnWrite;
};

const CKnownType kKnownTypes[] = {
    {0x9fa0, "proc", true, false},         {0x62656572, "sysfs", true, false},
    {0x1cd1, "devpts", true, false},       {0x27e0eb, "cgroup", true, false},
    {0x63677270, "cgroup2", true, false},  {0x64626720, "debugfs", true, false},
    {0x74726163, "tracefs", true, false},  {0x73636673, "securityfs", true, false},
    {0x62656570, "configfs", true, false}, {0xde5e81e4, "efivarfs", true, false},
    {0xcafe4a11, "bpf", true, false},      {0x6165676c, "pstore", true, false},
    {0x19800202, "mqueue", true, false},   {0x958458f6, "hugetlbfs", true, false},
    {0x65735543, "fusectl", true, false},  {0x9123683e, "btrfs", false, true},
    {0xca451a4e, "bcachefs", false, true}, {0x2fc12fc1, "zfs", false, true},
    {0xf2f52010, "f2fs", false, true},     {0x3434, "nilfs2", false, true},
    {0xef53, "ext4", false, false},        {0x58465342, "xfs", false, false},
    {0x01021994, "tmpfs", false, false},   {0x65735546, "fuse", false, false},
    {0x4d44, "vfat", false, false},        {0x2011bab0, "exfat", false, false},
    {0x5346544e, "ntfs", false, false},    {0x7366746e, "ntfs3", false, false},
    {0x794c7630, "overlay", false, false},
};

// fchmodat2 (Linux 6.6), the one call that changes a mode through an O_PATH reference; the C
// library here does not name it yet. New calls have one number on every architecture.
constexpr long kSysFchmodat2 = 452;

// devtmpfs reports the tmpfs number; only the mount table tells it apart.
const char kDevTmpfs[] = "devtmpfs";

// The type names of the mount table, by mount id; read again when an id is missing.
std::string MountTypeName(std::uint64_t nMount) {
    static std::mutex lock;
    static std::map<std::uint64_t, std::string> types;
    const std::lock_guard<std::mutex> guard(lock);
    auto found = types.find(nMount);
    if (found == types.end()) {
        std::ifstream table("/proc/self/mountinfo");
        types = ParseMountInfoTypes(table);
        found = types.find(nMount);
    }
    return found == types.end() ? std::string() : found->second;
}

}  // namespace

std::map<std::uint64_t, std::string> ParseMountInfoTypes(std::istream& table) {
    std::map<std::uint64_t, std::string> types;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::uint64_t nId = 0;
        const std::size_t dash = line.find(" - ");
        if (fields >> nId && dash != std::string::npos) {
            std::istringstream rest(line.substr(dash + 3));
            rest >> types[nId];
        }
    }
    return types;
}

std::uint32_t AttributesFromMode(std::uint32_t mode, const std::string& name) {
    std::uint32_t attributes = 0;
    if (S_ISLNK(mode)) {
        attributes |= kAttrReparsePoint;
    } else if (S_ISDIR(mode)) {
        attributes |= kAttrDirectory;
    } else if (!S_ISREG(mode)) {
        attributes |= kAttrDevice;
    }
    if (!S_ISLNK(mode) && (mode & S_IWUSR) == 0) {
        attributes |= kAttrReadOnly;
    }
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
        attributes |= kAttrHidden;
    }
    return attributes;
}

bool StatEntry(int dirFd, const std::string& name, CDirEntry& entry) {
    struct statx stx {};
    if (::statx(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_BASIC_STATS | STATX_MNT_ID, &stx) != 0) {
        return false;
    }
    entry.m_strName = name;
    entry.m_mode = stx.stx_mode;
    entry.m_attributes = AttributesFromMode(stx.stx_mode, name);
    entry.m_id.m_nVolume = (std::uint64_t{stx.stx_dev_major} << 32) | stx.stx_dev_minor;
    entry.m_id.m_nIndex = stx.stx_ino;
    entry.m_nLinks = stx.stx_nlink;
    entry.m_nOwner = stx.stx_uid;
    entry.m_nSize = static_cast<std::int64_t>(stx.stx_size);
    entry.m_nMount = (stx.stx_mask & STATX_MNT_ID) != 0 ? stx.stx_mnt_id : 0;
    return true;
}

std::uint64_t MountOf(int fd) {
    struct statx stx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &stx) != 0 ||
        (stx.stx_mask & STATX_MNT_ID) == 0) {
        return 0;
    }
    return stx.stx_mnt_id;
}

CVolumeFacts VolumeOf(int fd) {
    CVolumeFacts facts;
    struct statfs sfs {};
    if (::fstatfs(fd, &sfs) != 0) {
        return facts;
    }
    const auto nMagic = static_cast<unsigned long>(sfs.f_type);
    for (const CKnownType& known : kKnownTypes) {
        if (known.nMagic == nMagic) {
            facts.m_strType = known.name;
            facts.m_bPseudo = known.bPseudo;
            facts.m_bCopyOnWrite = known.bCopyOnWrite;
        }
    }
    const std::uint64_t nMount = MountOf(fd);
    const std::string named = nMount != 0 ? MountTypeName(nMount) : std::string();
    if (!named.empty()) {
        facts.m_strType = named;
    }
    if (facts.m_strType == kDevTmpfs) {
        facts.m_bPseudo = true;
    }
    // Only these are known to keep no blocks shared between files.
    for (const char* plain : {"ext2", "ext3", "ext4", "tmpfs", "vfat", "exfat", "ntfs", "ntfs3"}) {
        if (facts.m_strType == plain || facts.m_bPseudo) {
            facts.m_bCanShareData = false;
        }
    }
    if (facts.m_strType.empty()) {
        std::ostringstream hex;
        hex << "0x" << std::hex << nMagic;
        facts.m_strType = hex.str();
    }
    return facts;
}

int ProcFdFolder() {
    static std::mutex lock;
    // Held for the life of the process, never closed by an owner: every reopen through /proc
    // uses it, from any thread, up to the very end, and the system closes it at exit. Tearing
    // it down with the other statics could pull it from under a thread still writing.
    static int folder = -1;
    static pid_t owner = 0;
    const std::lock_guard<std::mutex> guard(lock);
    // /proc/self is the process that opened it: a child made by fork looks its own up.
    if (owner != ::getpid()) {
        CFd inherited(folder);  // the parent's: closed as this goes
        owner = ::getpid();
        CFd found(::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct statfs sfs {};
        if (found.IsOpen() &&
            (::fstatfs(found.Get(), &sfs) != 0 || sfs.f_type != PROC_SUPER_MAGIC)) {
            found.Reset();
        }
        folder = found.Release();
    }
    return folder;
}

CFd ReopenThroughProc(int fd, int flags) {
    const int folder = ProcFdFolder();
    if (folder < 0) {
        errno = ENOENT;
        return CFd();
    }
    CFd again(::openat(folder, std::to_string(fd).c_str(), flags | O_CLOEXEC | O_NOCTTY));
    if (!again.IsOpen()) {
        return again;
    }
    struct stat was {};
    struct stat now {};
    if (::fstat(fd, &was) != 0 || ::fstat(again.Get(), &now) != 0 || was.st_dev != now.st_dev ||
        was.st_ino != now.st_ino) {
        again.Reset();
        errno = kErrReplaced;
    }
    return again;
}

bool ChangeModeOf(int fd, std::uint32_t mode) {
    if (::syscall(kSysFchmodat2, fd, "", static_cast<mode_t>(mode & 07777), AT_EMPTY_PATH) == 0) {
        return true;
    }
    if (errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
        return false;
    }
    // An older kernel: the /proc entry is checked to lead to the object, then changed through
    // the checked descriptor folder by that entry's name.
    if (!ReopenThroughProc(fd, O_PATH).IsOpen()) {
        return false;
    }
    return ::fchmodat(ProcFdFolder(), std::to_string(fd).c_str(), static_cast<mode_t>(mode & 07777),
                      0) == 0;
}

CFileId IdOfStat(const struct stat& st) {
    return CFileId{(std::uint64_t{major(st.st_dev)} << 32) | std::uint64_t{minor(st.st_dev)},
                   static_cast<std::uint64_t>(st.st_ino)};
}

bool IsSameEntry(const struct stat& st, const CDirEntry& listed) {
    const bool bFolder = (listed.m_attributes & kAttrDirectory) != 0;
    return IdOfStat(st) == listed.m_id && S_ISDIR(st.st_mode) == bFolder;
}

int CheckNoOtherLock(int fd, bool bTakeExclusive) {
    if (::flock(fd, (bTakeExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        return errno == EINTR ? EWOULDBLOCK : errno;
    }
    if (!bTakeExclusive) {
        ::flock(fd, LOCK_UN);
    }
    // Record locks (fcntl, lockf) and open-file-description locks are another kind: a lock of
    // the same kind over the whole file conflicts with any of them another holder keeps.
    struct flock region {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    if (bTakeExclusive) {
        if (::fcntl(fd, F_OFD_SETLK, &region) != 0) {
            return errno == EACCES || errno == EAGAIN ? EWOULDBLOCK : 0;
        }
        return 0;
    }
    if (::fcntl(fd, F_OFD_GETLK, &region) == 0 && region.l_type != F_UNLCK) {
        return EWOULDBLOCK;
    }
    return 0;
}

std::string DecodeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool bEscape =
            field[i] == '\\' && i + 3 < field.size() &&
            field.substr(i + 1, 3).find_first_not_of("01234567") == std::string::npos;
        if (bEscape) {
            out += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace quorrel::posix

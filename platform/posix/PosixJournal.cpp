// The journal of a POSIX file system: its size from the file system's own records, its head
// from the kernel, and the flushes a folder's deletions need.
#include "platform/posix/PosixJournal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/posix/PosixFd.h"
#include "platform/posix/PosixLayers.h"
#include "platform/posix/PosixSupport.h"

namespace quorrel::posix {

namespace {

// xfs's geometry as its first ioctl gives it (the fields a journal cares about come first).
struct CXfsGeometryV1 {
    std::uint32_t nBlockSize;
    std::uint32_t nRtExtSize;
    std::uint32_t nAgBlocks;
    std::uint32_t nAgCount;
    std::uint32_t nLogBlocks;
    std::uint32_t nSectSize;
    std::uint32_t nInodeSize;
    std::uint32_t nImaxPct;
    std::uint64_t nDataBlocks;
    std::uint64_t nRtBlocks;
    std::uint64_t nRtExtents;
    std::uint64_t nLogStart;  // 0: the log is on a device of its own
    unsigned char uuid[16];
    std::uint32_t nSunit;
    std::uint32_t nSwidth;
    std::int32_t nVersion;
    std::uint32_t nFlags;
    std::uint32_t nLogSectSize;
    std::uint32_t nRtSectSize;
    std::uint32_t nDirBlockSize;
};
const unsigned long kXfsGeometryV1 = _IOR('X', 100, CXfsGeometryV1);

// xfs's free-space counts.
struct CXfsCounts {
    std::uint64_t nFreeData;
    std::uint64_t nFreeRtx;
    std::uint64_t nFreeInodes;  // made (in allocated chunks) and free
    std::uint64_t nAllocInodes;
};
const unsigned long kXfsCounts = _IOR('X', 113, CXfsCounts);
constexpr std::uint32_t kXfsGeometryV5 = 0x8000;  // a version 5 (self-describing) file system

// The ext2/3/4 superblock fields read here (byte offsets into the 1024-byte superblock).
constexpr std::size_t kExtMagic = 0x38;
constexpr std::size_t kExtLogBlockSize = 0x18;
constexpr std::size_t kExtCompat = 0x5C;
constexpr std::size_t kExtJournalInode = 0xE0;
constexpr std::size_t kExtJournalDevice = 0xE4;
constexpr std::size_t kExtJournalBackupType = 0xFD;
constexpr std::size_t kExtJournalBlocks = 0x10C;  // 17 words: the journal inode's block map,
                                                  // its size's high word, its size's low word
constexpr std::uint32_t kExtHasJournal = 0x4;
constexpr std::uint32_t kExtFastCommit = 0x400;

// One create-and-delete of an empty file with the folder flushed writes at least this many
// blocks to an ext3/ext4 journal: the inode bitmap, the inode table block, the group
// descriptor and the folder's block (four distinct blocks every such change dirties), and the
// commit's descriptor and commit blocks.
constexpr std::int64_t kExtMinChangeBlocks = 6;

std::uint32_t Word(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The kernel's name of the block device `dev` ("loop0", "sda1"); empty where there is none.
std::string DeviceName(dev_t dev) {
    const std::string link =
        "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    char target[4096];
    const ssize_t nLength = ::readlink(link.c_str(), target, sizeof target - 1);
    if (nLength <= 0) {
        return std::string();
    }
    target[nLength] = '\0';
    const char* pSlash = std::strrchr(target, '/');
    return pSlash != nullptr ? pSlash + 1 : target;
}

CJournalFacts Unknown(EJournalWhy why, const std::string& fileSystem = std::string()) {
    CJournalFacts facts;
    facts.m_eWhy = why;
    facts.m_strFileSystem = fileSystem;
    return facts;
}

// The ext3/ext4 journal, from the superblock of the device `dev` (checked to be that device).
CJournalFacts ExtJournal(dev_t dev) {
    const std::string name = DeviceName(dev);
    const CFd device(name.empty() ? -1 : ::open(("/dev/" + name).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!device.IsOpen()) {
        return Unknown(errno == EACCES || errno == EPERM ? EJournalWhy::NeedsRoot
                                                         : EJournalWhy::DeviceNotOpened);
    }
    unsigned char sb[1024];
    if (::fstat(device.Get(), &st) != 0 || !S_ISBLK(st.st_mode) || st.st_rdev != dev ||
        ::pread(device.Get(), sb, sizeof sb, 1024) != static_cast<ssize_t>(sizeof sb) ||
        (sb[kExtMagic] | sb[kExtMagic + 1] << 8) != 0xEF53) {
        return Unknown(EJournalWhy::SuperblockUnread);
    }
    CJournalFacts facts;
    const std::uint32_t compat = Word(sb + kExtCompat);
    if ((compat & kExtHasJournal) == 0) {
        facts.m_eKind = EJournal::None;
        return facts;
    }
    if (Word(sb + kExtJournalInode) == 0 || Word(sb + kExtJournalDevice) != 0) {
        facts.m_eKind = EJournal::External;
        return facts;
    }
    if ((compat & kExtFastCommit) != 0) {
        return Unknown(EJournalWhy::FastCommits);
    }
    if (sb[kExtJournalBackupType] != 1) {  // the superblock keeps no copy of the journal's size
        return Unknown(EJournalWhy::SizeNotRecorded);
    }
    const std::int64_t nBytes = static_cast<std::int64_t>(Word(sb + kExtJournalBlocks + 15 * 4))
                                    << 32 |
                                Word(sb + kExtJournalBlocks + 16 * 4);
    const std::int64_t nBlockBytes = std::int64_t{1024} << Word(sb + kExtLogBlockSize);
    facts.m_eKind = EJournal::Internal;
    facts.m_nBytes = nBytes;
    facts.m_nMinChangeBytes = kExtMinChangeBlocks * nBlockBytes;
    return facts;
}

// The xfs log, from the file system's geometry; its head is told in sysfs.
CJournalFacts XfsJournal(int fd) {
    CXfsGeometryV1 geometry{};
    if (::ioctl(fd, kXfsGeometryV1, &geometry) != 0) {
        return Unknown(EJournalWhy::GeometryUnread);
    }
    CJournalFacts facts;
    if (geometry.nLogStart == 0) {
        facts.m_eKind = EJournal::External;
        return facts;
    }
    facts.m_eKind = EJournal::Internal;
    facts.m_nBytes = std::int64_t{geometry.nLogBlocks} * geometry.nBlockSize;
    facts.m_bHasHead = true;
    return facts;
}

// True when the mount's source starts with an NTFS boot sector: a FUSE mount of NTFS, whose
// driver (ntfs-3g) resets the log at mount and writes no records of names to it.
bool IsNtfsImage(const CMountRecord& mount) {
    const CFd source(mount.m_strSource.empty()
                         ? -1
                         : ::open(mount.m_strSource.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    char head[11] = {};
    return source.IsOpen() && ::pread(source.Get(), head, sizeof head, 0) == sizeof head &&
           std::memcmp(head + 3, "NTFS    ", 8) == 0;
}

CFd OpenReadable(int dirFd) {
    return CFd(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool IsExt(const std::string& type) {
    return type == "ext3" || type == "ext4";
}

}  // namespace

CJournalFacts JournalOf(int dirFd) {
    const CFd fd(OpenReadable(dirFd));
    struct stat st {};
    CMountRecord mount;
    if (!fd.IsOpen() || ::fstat(fd.Get(), &st) != 0 || !MountRecord(MountOf(fd.Get()), mount)) {
        return Unknown(EJournalWhy::FileSystemUnknown);
    }
    const std::string& type = mount.m_strType;
    if (IsExt(type)) {
        return ExtJournal(st.st_dev);
    }
    if (type == "xfs") {
        return XfsJournal(fd.Get());
    }
    CJournalFacts none;
    none.m_eKind = EJournal::None;
    for (const char* plain : {"ext2", "vfat", "msdos", "exfat", "tmpfs", "ramfs", "fuse.fusefat"}) {
        if (type == plain) {
            return none;
        }
    }
    if ((type == "fuse" || type == "fuseblk") && IsNtfsImage(mount)) {
        return none;
    }
    return Unknown(EJournalWhy::UnknownKind, type);
}

bool JournalHeadOf(int dirFd, std::int64_t& nBytes) {
    const CFd fd(OpenReadable(dirFd));
    struct stat st {};
    CXfsGeometryV1 geometry{};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &st) != 0 ||
        ::ioctl(fd.Get(), kXfsGeometryV1, &geometry) != 0) {
        return false;
    }
    const std::string name = DeviceName(st.st_dev);
    std::ifstream head("/sys/fs/xfs/" + name + "/log/log_head_lsn");
    long long nCycle = -1;
    long long nBasicBlock = -1;
    char colon = 0;
    if (name.empty() || !(head >> nCycle >> colon >> nBasicBlock) || colon != ':' || nCycle < 0 ||
        nBasicBlock < 0) {
        return false;
    }
    // The head is a cycle count (one per wrap of the log) and a 512-byte block within it.
    const std::int64_t nLogBytes = std::int64_t{geometry.nLogBlocks} * geometry.nBlockSize;
    nBytes = nCycle * nLogBytes + nBasicBlock * 512;
    return true;
}

bool FreeRecordsOf(int dirFd, std::int64_t& nRecords, std::int64_t& nInlineBytes) {
    const CFd fd(OpenReadable(dirFd));
    CMountRecord mount;
    CXfsCounts counts{};
    CXfsGeometryV1 geometry{};
    if (!fd.IsOpen() || !MountRecord(MountOf(fd.Get()), mount) || mount.m_strType != "xfs" ||
        ::ioctl(fd.Get(), kXfsCounts, &counts) != 0 ||
        ::ioctl(fd.Get(), kXfsGeometryV1, &geometry) != 0) {
        return false;
    }
    nRecords = static_cast<std::int64_t>(counts.nFreeInodes);
    // What an inode holds past its core: 176 bytes of core on version 5 file systems, 100
    // before. The smaller room is taken where the version is not told: a longer target would
    // be stored outside the inode.
    const bool bV5 = (geometry.nFlags & kXfsGeometryV5) != 0 || geometry.nFlags == 0;
    nInlineBytes = std::int64_t{geometry.nInodeSize} - (bV5 ? 176 : 100);
    return nInlineBytes > 0;
}

bool CreateLinkIn(int dirFd, const std::string& name, const std::string& target,
                  CFileError& error) {
    if (::symlinkat(target.c_str(), dirFd, name.c_str()) != 0) {
        error = ErrnoError(errno);
        return false;
    }
    return true;
}

bool FlushFolder(int dirFd, CFileError& error) {
    const CFd fd(OpenReadable(dirFd));
    if (!fd.IsOpen() || ::fsync(fd.Get()) != 0) {
        error = ErrnoError(errno);
        return false;
    }
    return true;
}

bool WriteOutFolderDeletions(int dirFd) {
    CMountRecord mount;
    const CFd fd(OpenReadable(dirFd));
    if (!fd.IsOpen() || !MountRecord(MountOf(fd.Get()), mount) || !IsExt(mount.m_strType)) {
        return true;
    }
    return ::syncfs(fd.Get()) == 0;
}

bool FolderSizeOf(int dirFd, CFolderSize& size) {
    struct stat st {};
    if (::fstat(dirFd, &st) != 0) {
        return false;
    }
    size.m_nBytes = st.st_size;
    size.m_nAllocatedBytes = static_cast<std::int64_t>(st.st_blocks) * 512;
    return true;
}

}  // namespace quorrel::posix

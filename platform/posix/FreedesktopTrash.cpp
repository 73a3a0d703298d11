// The freedesktop.org trash: locating the user's trash folders and emptying them.
#include "platform/posix/FreedesktopTrash.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/FileSystem.h"

namespace quorrel {

namespace {

// File systems that keep their data on a local device.
const std::set<std::string> kDiskTypes = {
    "ext2",  "ext3",    "ext4",   "xfs",     "btrfs",    "vfat", "msdos",
    "exfat", "ntfs",    "ntfs3",  "fuseblk", "f2fs",     "jfs",  "reiserfs",
    "hfs",   "hfsplus", "nilfs2", "zfs",     "bcachefs", "udf",  "ufs"};

// Pseudo and network file systems: no trash of the user's lives there worth a scan, and a
// network one may be slow or gone.
const std::set<std::string> kNotLocalTypes = {
    "proc",        "sysfs",      "devtmpfs",    "devpts",       "tmpfs",       "ramfs",
    "securityfs",  "cgroup",     "cgroup2",     "pstore",       "bpf",         "debugfs",
    "tracefs",     "configfs",   "fusectl",     "mqueue",       "hugetlbfs",   "autofs",
    "binfmt_misc", "efivarfs",   "nsfs",        "rpc_pipefs",   "overlay",     "squashfs",
    "iso9660",     "selinuxfs",  "nfsd",        "nfs",          "nfs4",        "cifs",
    "smb3",        "smbfs",      "ncpfs",       "9p",           "afs",         "ceph",
    "glusterfs",   "lustre",     "davfs",       "fuse.sshfs",   "fuse.rclone", "fuse.gvfsd-fuse",
    "fuse.s3fs",   "fuse.lxcfs", "fuse.portal", "fuse.snapfuse"};

// "\040" and the like back to the byte they stand for.
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

bool HasOption(const std::string& options, const std::string& name) {
    std::stringstream stream(options);
    std::string option;
    while (std::getline(stream, option, ',')) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

// A real folder (not a link) that belongs to `nUid`, or nothing at all; false for anything
// else. `bExists` says which.
bool IsOwnFolderOrMissing(const std::string& path, unsigned long nUid, bool& bExists) {
    struct stat st {};
    bExists = ::lstat(path.c_str(), &st) == 0;
    return !bExists || (S_ISDIR(st.st_mode) && st.st_uid == nUid);
}

void AddMountTrashes(const std::string& topdir, unsigned long nUid,
                     std::vector<std::string>& trashes) {
    const std::string uid = std::to_string(nUid);
    const std::string shared = JoinPath(topdir, ".Trash");
    struct stat st {};
    bool bExists = false;
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0 &&
        IsOwnFolderOrMissing(JoinPath(shared, uid), nUid, bExists)) {
        trashes.push_back(JoinPath(shared, uid));
    }
    const std::string own = JoinPath(topdir, ".Trash-" + uid);
    if (IsOwnFolderOrMissing(own, nUid, bExists)) {
        trashes.push_back(own);
    }
}

// The mount points a trash may live on, sorted, each once. Of a mount point listed twice the
// last entry is the one in sight, so it decides.
std::vector<std::string> TrashableMountPoints(const std::vector<CMountEntry>& mounts) {
    std::map<std::string, bool> visible;
    for (const CMountEntry& mount : mounts) {
        visible[mount.m_strMountPoint] = IsTrashableMount(mount);
    }
    std::vector<std::string> points;
    for (const auto& [point, bTrashable] : visible) {
        if (bTrashable) {
            points.push_back(point);
        }
    }
    return points;
}

// Removes every entry inside the open folder `fd`; folders depth first, links as entries.
bool RemoveContentsAt(int fd) {
    const int listFd = ::dup(fd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (dir == nullptr) {
        if (listFd >= 0) {
            ::close(listFd);
        }
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    bool bAll = true;
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            bAll = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            const int sub =
                ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                bAll = false;
                continue;
            }
            // A folder trashed without its owner's write bit keeps its entries otherwise.
            if (st.st_uid == ::geteuid() && (st.st_mode & S_IRWXU) != S_IRWXU) {
                ::fchmod(sub, (st.st_mode & 07777) | S_IRWXU);
            }
            bAll = RemoveContentsAt(sub) && bAll;
            ::close(sub);
            bAll = ::unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0 && bAll;
        } else {
            bAll = ::unlinkat(fd, name.c_str(), 0) == 0 && bAll;
        }
    }
    return bAll;
}

// Empties the sub-folder `name` of the trash; a missing one is already empty.
bool EmptySubFolder(int trashFd, const char* name) {
    const int fd = ::openat(trashFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
    }
    const bool bDone = RemoveContentsAt(fd);
    ::close(fd);
    return bDone;
}

std::string HomeFromPasswordDatabase(unsigned long nUid) {
    const passwd* entry = ::getpwuid(static_cast<uid_t>(nUid));
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : std::string();
}

std::string ReadWholeFile(const char* path) {
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

}  // namespace

std::vector<CMountEntry> ParseMountTable(const std::string& text) {
    std::vector<CMountEntry> mounts;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::stringstream fields(line);
        CMountEntry mount;
        if (fields >> mount.m_strSource >> mount.m_strMountPoint >> mount.m_strType >>
            mount.m_strOptions) {
            mount.m_strSource = DecodeMountField(mount.m_strSource);
            mount.m_strMountPoint = DecodeMountField(mount.m_strMountPoint);
            mounts.push_back(std::move(mount));
        }
    }
    return mounts;
}

bool IsTrashableMount(const CMountEntry& mount) {
    if (HasOption(mount.m_strOptions, "ro") || kNotLocalTypes.count(mount.m_strType) != 0) {
        return false;
    }
    return kDiskTypes.count(mount.m_strType) != 0 || mount.m_strSource.rfind("/dev/", 0) == 0;
}

CTrashFacts SystemTrashFacts() {
    CTrashFacts facts;
    facts.m_nUid = ::getuid();
    const char* home = std::getenv("HOME");
    facts.m_strHome =
        home != nullptr && *home != '\0' ? home : HomeFromPasswordDatabase(facts.m_nUid);
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    facts.m_strXdgDataHome = dataHome != nullptr ? dataHome : "";
    facts.m_mounts = ParseMountTable(ReadWholeFile("/proc/self/mounts"));
    const char* prefix = std::getenv("QUORREL_TEST_MOUNT_PREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        const std::string under = std::string(prefix) + "/";
        std::vector<CMountEntry> kept;
        for (const CMountEntry& mount : facts.m_mounts) {
            if (mount.m_strMountPoint == prefix ||
                mount.m_strMountPoint.compare(0, under.size(), under) == 0) {
                kept.push_back(mount);
            }
        }
        facts.m_mounts = std::move(kept);
    }
    return facts;
}

std::vector<std::string> LocateTrashFolders(const CTrashFacts& facts) {
    std::vector<std::string> trashes;
    // The basedir rules ignore a relative $XDG_DATA_HOME.
    if (!facts.m_strXdgDataHome.empty() && facts.m_strXdgDataHome[0] == '/') {
        trashes.push_back(facts.m_strXdgDataHome + "/Trash");
    } else if (!facts.m_strHome.empty()) {
        trashes.push_back(facts.m_strHome + "/.local/share/Trash");
    }
    for (const std::string& topdir : TrashableMountPoints(facts.m_mounts)) {
        AddMountTrashes(topdir, facts.m_nUid, trashes);
    }
    return trashes;
}

bool EmptyTrashFolder(const std::string& trash) {
    const int fd = ::open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool bDone = EmptySubFolder(fd, "files");
    bDone = EmptySubFolder(fd, "info") && bDone;
    if (::unlinkat(fd, "directorysizes", 0) != 0 && errno != ENOENT) {
        bDone = false;
    }
    ::close(fd);
    return bDone;
}

bool CTrashBins::Scan(std::vector<CBinLocation>& bins) {
    bins.clear();
    for (const std::string& trash : LocateTrashFolders(m_facts())) {
        CBinLocation bin;
        bin.m_strRoot = trash;
        bins.push_back(bin);
    }
    return !bins.empty();
}

bool CTrashBins::BinFolder(const CBinLocation& bin, std::string& folder) {
    folder = bin.m_strRoot + "/files/";
    return true;
}

bool CTrashBins::IsBookkeeping(const std::string& name) const {
    (void)name;
    return false;
}

bool CTrashBins::Empty(const CBinLocation& bin) {
    return EmptyTrashFolder(bin.m_strRoot);
}

IRecycleBins& SystemRecycleBins() {
    static CTrashBins bins(SystemTrashFacts);
    return bins;
}

}  // namespace quorrel

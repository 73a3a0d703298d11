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
#include "platform/posix/PosixSupport.h"

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

bool IsRealFolder(const CDirEntry& entry) {
    return (entry.m_attributes & kAttrDirectory) != 0 &&
           (entry.m_attributes & kAttrReparsePoint) == 0;
}

}  // namespace

// A trash folder as the scan found it: the folder that holds it and its name there, and the
// trash folder itself, held open (null when there was none).
struct CTrashRoot {
    std::string m_strPath;
    std::shared_ptr<IFolder> m_parent;  // null for the home trash, which is reached by its path
    std::string m_strName;
    std::unique_ptr<IFolder> m_folder;
};

namespace {

using CTrashRoots = std::vector<std::unique_ptr<CTrashRoot>>;

// The home trash, by its path: the user's own home, where any link is the user's own doing.
void AddHomeTrash(IFileSystem& fs, const std::string& path, CTrashRoots& roots) {
    auto root = std::make_unique<CTrashRoot>();
    root->m_strPath = path;
    CFileError error;
    root->m_folder = fs.OpenFolder(path, error);
    roots.push_back(std::move(root));
}

// The trash folder `name` of `parent`: opened when it is a real folder (not a link) of
// `nUid`'s, noted as missing when there is none, left out otherwise.
void AddOwnTrash(const std::shared_ptr<IFolder>& parent, const std::string& parentPath,
                 const std::string& name, unsigned long nUid, CTrashRoots& roots) {
    auto root = std::make_unique<CTrashRoot>();
    root->m_strPath = JoinPath(parentPath, name);
    root->m_parent = parent;
    root->m_strName = name;
    CDirEntry entry;
    CFileError error;
    if (!parent->Lookup(name, entry, error)) {
        if (error.m_nCause == kCauseFileNotFound) {
            roots.push_back(std::move(root));
        }
        return;
    }
    if (!IsRealFolder(entry) || entry.m_nOwner != static_cast<std::int64_t>(nUid)) {
        return;
    }
    root->m_folder = parent->OpenFolder(entry, error);
    if (root->m_folder) {
        roots.push_back(std::move(root));
    }
}

void AddMountTrashes(IFileSystem& fs, const std::string& topdir, unsigned long nUid,
                     CTrashRoots& roots) {
    const std::string uid = std::to_string(nUid);
    CFileError error;
    std::shared_ptr<IFolder> top = fs.OpenFolder(topdir, error);
    if (!top) {
        return;
    }
    CDirEntry shared;
    if (top->Lookup(".Trash", shared, error) && IsRealFolder(shared) &&
        (shared.m_mode & S_ISVTX) != 0) {
        std::shared_ptr<IFolder> sharedFolder = top->OpenFolder(shared, error);
        if (sharedFolder) {
            AddOwnTrash(sharedFolder, JoinPath(topdir, ".Trash"), uid, nUid, roots);
        }
    }
    AddOwnTrash(top, topdir, ".Trash-" + uid, nUid, roots);
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

// Removes every entry inside `folder`; folders depth first, links as entries.
bool RemoveContents(IFolder& folder) {
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!folder.List(entries, error)) {
        return false;
    }
    bool bAll = true;
    for (const CDirEntry& entry : entries) {
        if (!IsRealFolder(entry)) {
            bAll = folder.Delete(entry.m_strName, error) && bAll;
            continue;
        }
        std::unique_ptr<IFolder> sub = folder.OpenFolder(entry, error);
        if (!sub) {
            bAll = false;
            continue;
        }
        // A folder trashed without its owner's write bit keeps its entries otherwise.
        std::uint32_t nIgnored = 0;
        sub->OpenUp(nIgnored);
        bAll = RemoveContents(*sub) && bAll;
        sub.reset();
        bAll = folder.RemoveFolder(entry.m_strName, error) && bAll;
    }
    return bAll;
}

// Empties the sub-folder `name` of the trash; a missing one is already empty, and one that is
// no real folder (a link) is not followed.
bool EmptySubFolder(IFolder& trash, const char* name) {
    CDirEntry entry;
    CFileError error;
    if (!trash.Lookup(name, entry, error)) {
        return error.m_nCause == kCauseFileNotFound;
    }
    std::unique_ptr<IFolder> folder =
        IsRealFolder(entry) ? trash.OpenFolder(entry, error) : nullptr;
    return folder && RemoveContents(*folder);
}

// Empties the trash folder held as `trash`.
bool EmptyTrashIn(IFolder& trash) {
    bool bDone = EmptySubFolder(trash, "files");
    bDone = EmptySubFolder(trash, "info") && bDone;
    CDirEntry sizes;
    CFileError error;
    if (trash.Lookup("directorysizes", sizes, error)) {
        bDone = trash.Delete("directorysizes", error) && bDone;
    }
    return bDone;
}

// The trash folders of `facts`, opened and checked, in the order they are shredded.
CTrashRoots OpenTrashRoots(IFileSystem& fs, const CTrashFacts& facts) {
    CTrashRoots roots;
    // The basedir rules ignore a relative $XDG_DATA_HOME.
    if (!facts.m_strXdgDataHome.empty() && facts.m_strXdgDataHome[0] == '/') {
        AddHomeTrash(fs, facts.m_strXdgDataHome + "/Trash", roots);
    } else if (!facts.m_strHome.empty()) {
        AddHomeTrash(fs, facts.m_strHome + "/.local/share/Trash", roots);
    }
    for (const std::string& topdir : TrashableMountPoints(facts.m_mounts)) {
        AddMountTrashes(fs, topdir, facts.m_nUid, roots);
    }
    return roots;
}

// True when the trash folder's name still leads to what the scan found there: the folder it
// holds, or, when there was none, still nothing.
bool IsUnchanged(IFileSystem& fs, const CTrashRoot& root) {
    CFileError error;
    if (!root.m_parent) {
        const std::unique_ptr<IFolder> now = fs.OpenFolder(root.m_strPath, error);
        return root.m_folder ? now && now->GetId() == root.m_folder->GetId() : !now;
    }
    CDirEntry entry;
    if (!root.m_parent->Lookup(root.m_strName, entry, error)) {
        return !root.m_folder && error.m_nCause == kCauseFileNotFound;
    }
    return root.m_folder && IsRealFolder(entry) && entry.m_id == root.m_folder->GetId();
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
            mount.m_strSource = posix::DecodeMountField(mount.m_strSource);
            mount.m_strMountPoint = posix::DecodeMountField(mount.m_strMountPoint);
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
    // The tests of the real program keep a run to the mounts below a folder of theirs. The
    // variable can only take mounts out of the list, never add one or change the home trash:
    // whoever sets it can make a run do less, nothing else.
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

CTrashBins::CTrashBins(std::function<CTrashFacts()> facts, IFileSystem& fs)
    : m_facts(std::move(facts)), m_fs(fs) {}

CTrashBins::~CTrashBins() = default;

bool CTrashBins::Scan(std::vector<CBinLocation>& bins) {
    bins.clear();
    m_roots = OpenTrashRoots(m_fs, m_facts());
    for (const std::unique_ptr<CTrashRoot>& root : m_roots) {
        CBinLocation bin;
        bin.m_strRoot = root->m_strPath;
        bins.push_back(bin);
    }
    return !bins.empty();
}

bool CTrashBins::BinFolder(const CBinLocation& bin, std::string& folder) {
    folder = bin.m_strRoot + "/files/";
    return true;
}

CTrashRoot* CTrashBins::Find(const CBinLocation& bin) const {
    for (const std::unique_ptr<CTrashRoot>& root : m_roots) {
        if (root->m_strPath == bin.m_strRoot) {
            return root.get();
        }
    }
    return nullptr;
}

std::unique_ptr<IFolder> CTrashBins::OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                                   const std::string& folder, EBinOpen& state) {
    (void)fs;
    (void)folder;
    CTrashRoot* root = Find(bin);
    if (root == nullptr || !IsUnchanged(m_fs, *root)) {
        state = EBinOpen::Changed;
        return nullptr;
    }
    state = EBinOpen::Missing;
    CDirEntry files;
    CFileError error;
    if (!root->m_folder || !root->m_folder->Lookup("files", files, error)) {
        if (root->m_folder && error.m_nCause != kCauseFileNotFound) {
            state = EBinOpen::Unreadable;
        }
        return nullptr;
    }
    std::unique_ptr<IFolder> opened =
        IsRealFolder(files) ? root->m_folder->OpenFolder(files, error) : nullptr;
    state = opened ? EBinOpen::Opened : EBinOpen::Unreadable;
    return opened;
}

bool CTrashBins::IsBookkeeping(const std::string& name) const {
    (void)name;
    return false;
}

bool CTrashBins::Empty(const CBinLocation& bin) {
    CTrashRoot* root = Find(bin);
    return root != nullptr && root->m_folder && EmptyTrashIn(*root->m_folder);
}

IRecycleBins& SystemRecycleBins() {
    static CTrashBins bins(SystemTrashFacts);
    return bins;
}

}  // namespace quorrel

// The POSIX backend's open folder: every entry reached relative to the folder's descriptor.
//
// Windows notions are given their nearest POSIX meaning: share mode 0 is an exclusive,
// non-blocking lock of every kind; the read-only attribute is the owner's missing write bit,
// and it refuses a write open even for root; links and special files are never opened for
// writing. Each entry is first opened as a bare reference (O_PATH, never following a link),
// checked against what was listed, and only then changed or opened again through that very
// reference, so a name swapped in the meantime is never acted on.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/posix/PosixFd.h"
#include "platform/posix/PosixJournal.h"
#include "platform/posix/PosixLayers.h"
#include "platform/posix/PosixSupport.h"
#include "platform/posix/SysfsDevices.h"

namespace quorrel::posix {

namespace {

// Folders are held as bare references: they can be reached and checked even where their
// mode does not let them be read yet, and are listed through a second, reading descriptor.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens the entry `listed` of `dirFd` as a bare reference and checks it is the one listed,
// leaving its status in `st`. None with errno set otherwise.
CFd OpenListed(int dirFd, const CDirEntry& listed, struct stat& st) {
    CFd fd(::openat(dirFd, listed.m_strName.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (fd.IsOpen() && (::fstat(fd.Get(), &st) != 0 || !IsSameEntry(st, listed))) {
        fd.Reset();
        errno = kErrReplaced;
    }
    return fd;
}

// Opens the object behind the bare reference `pathFd` again with `flags`, checked to be that
// object. Where no real /proc is mounted (a chroot, a small container) the name is opened
// again relative to the folder, never following a link, and checked once more.
CFd Reopen(int pathFd, int dirFd, const CDirEntry& listed, int flags) {
    CFd again = ReopenThroughProc(pathFd, flags);
    if (again.IsOpen() || ProcFdFolder() >= 0) {
        return again;
    }
    CFd fd(::openat(dirFd, listed.m_strName.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.IsOpen() && (::fstat(fd.Get(), &st) != 0 || !IsSameEntry(st, listed))) {
        fd.Reset();
        errno = kErrReplaced;
    }
    return fd;
}

// True when the name `listed` has in `dirFd` still leads to that entry (never following it).
bool StillListed(int dirFd, const CDirEntry& listed) {
    struct stat st {};
    return ::fstatat(dirFd, listed.m_strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           IsSameEntry(st, listed) && !S_ISLNK(st.st_mode);
}

// True when `name` in `dirFd` is the entry `listed`: same identity, and a link, a folder or a
// file as it was listed.
bool IsListedAt(int dirFd, const std::string& name, const CDirEntry& listed) {
    struct stat st {};
    const bool bLink = (listed.m_attributes & kAttrReparsePoint) != 0;
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           IsSameEntry(st, listed) && S_ISLNK(st.st_mode) == bLink;
}

// Why `name` in `dirFd` is not the entry `listed`: ENOENT when nothing has that name any more
// (another program removed it), kErrReplaced when something else has.
int NotListedReason(int dirFd, const std::string& name) {
    struct stat st {};
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT
               ? ENOENT
               : kErrReplaced;
}

// Writes `mode` to the entry `listed` behind the checked reference `pathFd`. Where the kernel
// can change it neither through the reference nor through /proc, the name is changed relative
// to the folder, checked to be the entry just before and just after.
bool ChangeEntryMode(int pathFd, int dirFd, const CDirEntry& listed, std::uint32_t mode) {
    if (ChangeModeOf(pathFd, mode)) {
        return true;
    }
    if (errno != ENOENT || ProcFdFolder() >= 0) {
        return false;
    }
    if (!StillListed(dirFd, listed) ||
        ::fchmodat(dirFd, listed.m_strName.c_str(), static_cast<mode_t>(mode & 07777), 0) != 0) {
        return false;
    }
    if (!StillListed(dirFd, listed)) {
        errno = kErrReplaced;
        return false;
    }
    return true;
}

class CPosixFolder final : public IFolder {
public:
    CPosixFolder(CFd fd, const CFileId& id)
        : m_fd(std::move(fd)), m_id(id), m_nMount(MountOf(m_fd.Get())) {}

    CFileId GetId() const override { return m_id; }
    std::uint64_t GetMount() const override { return m_nMount; }
    CVolumeFacts GetVolume() override {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_bVolumeKnown) {  // asked for every file of the folder
            m_volume = VolumeOf(m_fd.Get());
            m_bVolumeKnown = true;
        }
        return m_volume;
    }
    EKeptCopy GetLayerCopy(const CDirEntry& listed) override {
        return GetVolume().m_strType == "overlay" ? LayerCopyOf(m_fd.Get(), listed.m_strName)
                                                  : EKeptCopy::None;
    }

    bool List(std::vector<CDirEntry>& entries, CFileError& error) override {
        CFd listFd(::openat(m_fd.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        // Closed on every way out, a listing too long for the memory there is among them.
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(
            listFd.IsOpen() ? ::fdopendir(listFd.Get()) : nullptr, ::closedir);
        if (!dir) {
            error = ErrnoError(errno);
            return false;
        }
        listFd.Release();  // the stream owns it now: closedir() closes it
        entries.clear();
        while (const dirent* item = ::readdir(dir.get())) {
            const std::string name = item->d_name;
            if (IsDotName(name)) {
                continue;
            }
            CDirEntry entry;
            if (!StatEntry(m_fd.Get(), name, entry)) {
                entry.m_strName = name;  // gone since: the walk's open will say so
            }
            entries.push_back(std::move(entry));
        }
        return true;
    }

    bool Lookup(const std::string& name, CDirEntry& entry, CFileError& error) override {
        if (!StatEntry(m_fd.Get(), name, entry)) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    std::unique_ptr<IFolder> OpenFolder(const CDirEntry& listed, CFileError& error) override {
        CFd fd(::openat(m_fd.Get(), listed.m_strName.c_str(), kFolderFlags));
        struct stat st {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
            // a link or a file where a folder was listed: something was swapped in
            error = ErrnoError(errno == ELOOP || errno == ENOTDIR ? kErrReplaced : errno);
            return nullptr;
        }
        if (!IsSameEntry(st, listed)) {
            error = ErrnoError(kErrReplaced);
            return nullptr;
        }
        return MakeFolder(std::move(fd), IdOfStat(st));
    }

    std::unique_ptr<IFolder> OpenParent(const CFileId& expected, CFileError& error) override {
        CFd fd(::openat(m_fd.Get(), "..", kFolderFlags));
        struct stat st {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
            error = ErrnoError(errno);
            return nullptr;
        }
        if (IdOfStat(st) != expected) {
            error = ErrnoError(kErrReplaced);
            return nullptr;
        }
        return MakeFolder(std::move(fd), expected);
    }

    bool SetReadOnlyAndCheckSharing(const CDirEntry& listed, std::uint32_t attributes,
                                    CFileError& error) override {
        ResetHeld();
        struct stat st {};
        CFd bare(OpenListed(m_fd.Get(), listed, st));
        if (bare.Get() < 0) {
            error = ErrnoError(errno);
            return false;
        }
        if (S_ISLNK(st.st_mode)) {
            return true;
        }
        if (!ApplyReadOnly(bare.Get(), listed, st, attributes, error)) {
            return false;
        }
        if (HoldForWrite(bare.Get(), listed, st.st_mode, attributes)) {
            return true;
        }
        // What matters is that the file can be opened while nobody holds it: open it for
        // reading (or, for a file its owner may only write, for writing) and look for locks.
        CFd probe = Reopen(bare.Get(), m_fd.Get(), listed, O_RDONLY | O_NONBLOCK);
        if (!probe.IsOpen() && errno == EACCES) {
            probe = Reopen(bare.Get(), m_fd.Get(), listed, O_WRONLY | O_NONBLOCK);
        }
        if (probe.Get() < 0) {
            error = ErrnoError(errno);
            return false;
        }
        const int refusal = CheckNoOtherLock(probe.Get(), false);
        if (refusal != 0) {
            error = ErrnoError(refusal);
            return false;
        }
        return true;
    }

    bool SetAttributes(const CDirEntry& listed, std::uint32_t attributes) override {
        ResetHeld();
        struct stat st {};
        CFd bare(OpenListed(m_fd.Get(), listed, st));
        CFileError ignored;
        return bare.Get() >= 0 &&
               (S_ISLNK(st.st_mode) || ApplyReadOnly(bare.Get(), listed, st, attributes, ignored));
    }

    bool OpenUp(std::uint32_t& nPrevious) override {
        struct stat st {};
        if (::fstat(m_fd.Get(), &st) != 0 || (st.st_mode & S_IRWXU) == S_IRWXU) {
            return false;
        }
        nPrevious = st.st_mode & 07777;
        return ChangeModeOf(m_fd.Get(), nPrevious | S_IRWXU);
    }

    bool RestoreMode(std::uint32_t nMode) override { return ChangeModeOf(m_fd.Get(), nMode); }

    std::unique_ptr<IFileHandle> OpenForWrite(const CDirEntry& listed,
                                              const std::string& displayPath,
                                              CFileError& error) override {
        {
            std::unique_ptr<IFileHandle> held = TakeHeld(listed, displayPath);
            if (held) {
                return held;
            }
        }
        struct stat st {};
        CFd bare(OpenListed(m_fd.Get(), listed, st));
        if (bare.Get() < 0) {
            error = ErrnoError(errno, displayPath);
            return nullptr;
        }
        // Special files are never written, and a file without the owner's write bit is
        // read-only even for root.
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
            error = ErrnoError(EACCES, displayPath);
            return nullptr;
        }
        CFd fd(Reopen(bare.Get(), m_fd.Get(), listed, O_WRONLY | O_NONBLOCK));
        if (fd.Get() < 0) {
            error = ErrnoError(errno, displayPath);
            return nullptr;
        }
        const int refusal = CheckNoOtherLock(fd.Get(), true);
        if (refusal != 0) {
            error = ErrnoError(refusal, displayPath);
            return nullptr;
        }
        return WrapFile(std::move(fd), displayPath, st, listed);
    }

    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        ResetHeld();
        const int dirFd = m_fd.Get();
        if (::renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            error = ErrnoError(errno);
            return false;
        }
        return RenameWithoutNoReplace(from, to, error);
    }

    bool Delete(const std::string& name, CFileError& error) override {
        ResetHeld();
        if (::unlinkat(m_fd.Get(), name.c_str(), 0) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool RenameListed(const CDirEntry& listed, const std::string& to, CFileError& error) override {
        ResetHeld();
        if (!IsListedAt(m_fd.Get(), listed.m_strName, listed)) {
            error = ErrnoError(NotListedReason(m_fd.Get(), listed.m_strName));
            return false;
        }
        if (!Rename(listed.m_strName, to, error)) {
            return false;
        }
        if (!IsListedAt(m_fd.Get(), to, listed)) {
            // Swapped between the look and the rename: what was moved goes back to its name.
            ::renameat2(m_fd.Get(), to.c_str(), m_fd.Get(), listed.m_strName.c_str(),
                        RENAME_NOREPLACE);
            error = ErrnoError(kErrReplaced);
            return false;
        }
        return true;
    }

    bool DeleteListed(const CDirEntry& listed, const std::string& name,
                      CFileError& error) override {
        ResetHeld();
        if (!IsListedAt(m_fd.Get(), name, listed)) {
            error = ErrnoError(NotListedReason(m_fd.Get(), name));
            return false;
        }
        return Delete(name, error);
    }

    CVolumeFacts GetEntryVolume(const CDirEntry& listed) override {
        if (listed.m_nMount != 0 && listed.m_nMount == m_nMount) {
            return GetVolume();
        }
        struct stat st {};
        CFd bare(OpenListed(m_fd.Get(), listed, st));
        return bare.Get() >= 0 ? VolumeOf(bare.Get()) : GetVolume();
    }

    bool RemoveFolder(const std::string& name, CFileError& error) override {
        if (::unlinkat(m_fd.Get(), name.c_str(), AT_REMOVEDIR) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    bool GetSpace(CVolumeSpace& space, CFileError& error) override {
        return SpaceOf(m_fd.Get(), space, error);
    }
    std::unique_ptr<IFolder> CreateNewFolder(const std::string& name, std::uint32_t nMode,
                                             CFileError& error) override {
        return CreateFolderIn(m_fd.Get(), name, nMode, error);
    }
    std::unique_ptr<IFileHandle> CreateNewFile(const std::string& name,
                                               const std::string& displayPath,
                                               CFileError& error) override {
        return CreateFileIn(m_fd.Get(), name, displayPath, error);
    }
    bool SettleInPlace() override { return SettleFolderInPlace(m_fd.Get()); }
    bool FlushEntries(CFileError& error) override { return FlushFolder(m_fd.Get(), error); }
    bool WriteOutDeletions() override { return WriteOutFolderDeletions(m_fd.Get()); }
    bool GetFolderSize(CFolderSize& size) override { return FolderSizeOf(m_fd.Get(), size); }
    CJournalFacts GetJournal() override { return JournalOf(m_fd.Get()); }
    bool GetDevice(const CDirEntry& listed, CVolumeDevice& device) override {
        return DescribeSystemMount(listed.m_nMount != 0 ? listed.m_nMount : m_nMount, device);
    }
    CTrimResult TrimFreeSpace(std::int64_t nStart, std::int64_t nLength) override {
        return TrimFreeSpaceOf(m_fd.Get(), nStart, nLength);
    }
    bool GetFreeRecords(std::int64_t& nRecords, std::int64_t& nInlineBytes) override {
        return FreeRecordsOf(m_fd.Get(), nRecords, nInlineBytes);
    }
    bool CreateLink(const std::string& name, const std::string& target,
                    CFileError& error) override {
        return CreateLinkIn(m_fd.Get(), name, target, error);
    }
    bool GetJournalHead(std::int64_t& nBytes) override { return JournalHeadOf(m_fd.Get(), nBytes); }
    std::unique_ptr<IFolder> OpenVolumeTop(std::string& topPath, CFileError& error) override {
        return OpenTopOf(m_fd.Get(), topPath, error);
    }

private:
    struct CHeld {
        CFd fd;
        std::string strName;
        CFileId id;
    };

    // Lets go of the file this thread's last sharing check kept.
    void ResetHeld() {
        std::lock_guard<std::mutex> guard(m_lock);
        m_held.erase(std::this_thread::get_id());
    }

    // The sharing check of a plain file that is to be written: opens it for writing through
    // the checked reference `bareFd` and takes the exclusive lock the write open takes. When
    // both succeed the open file is kept for OpenForWrite() of the same entry, which follows,
    // so that the file is opened and checked once instead of twice. False (nothing kept) when
    // the file is not one to write or either step fails: the caller then checks as before, so
    // that every refusal is reported by the step that has always reported it.
    bool HoldForWrite(int bareFd, const CDirEntry& listed, mode_t current,
                      std::uint32_t attributes) {
        if (!S_ISREG(current) || (attributes & kAttrReadOnly) != 0) {
            return false;
        }
        CFd fd(Reopen(bareFd, m_fd.Get(), listed, O_WRONLY | O_NONBLOCK));
        if (fd.Get() < 0 || CheckNoOtherLock(fd.Get(), true) != 0) {
            return false;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        m_held[std::this_thread::get_id()] = CHeld{std::move(fd), listed.m_strName, listed.m_id};
        return true;
    }

    // The file HoldForWrite() kept, if it is `listed`, its name still leads to it (never
    // following a link) and it is still a plain file with the owner's write bit, as
    // OpenForWrite() requires; null otherwise, the kept file let go, for the caller to open and
    // check the entry afresh.
    std::unique_ptr<IFileHandle> TakeHeld(const CDirEntry& listed, const std::string& displayPath) {
        CHeld held;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            const auto found = m_held.find(std::this_thread::get_id());
            if (found == m_held.end()) {
                return nullptr;
            }
            held = std::move(found->second);
            m_held.erase(found);
        }
        CFd& fd = held.fd;
        struct stat st {};
        if (listed.m_strName != held.strName || listed.m_id != held.id ||
            ::fstatat(m_fd.Get(), listed.m_strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !IsSameEntry(st, listed) || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
            return nullptr;
        }
        return WrapFile(std::move(fd), displayPath, st, listed);
    }

    // The open file `fd` of the entry `listed`; where there is no /proc it keeps its folder
    // and name, to be read back by them.
    std::unique_ptr<IFileHandle> WrapFile(CFd fd, const std::string& displayPath,
                                          const struct stat& st, const CDirEntry& listed) {
        CFd folderFd(ProcFdFolder() < 0 ? ::dup(m_fd.Get()) : -1);
        return MakeFile(std::move(fd), FullPath(displayPath), &st, std::move(folderFd),
                        listed.m_strName);
    }

    // Sets or clears the owner's write bit of the entry `listed` (behind the checked reference
    // `bareFd`, with the status `st`) as the read-only attribute asks. A file that has gained
    // another name since it was listed is left as it is: its mode is the other name's too.
    bool ApplyReadOnly(int bareFd, const CDirEntry& listed, const struct stat& st,
                       std::uint32_t attributes, CFileError& error) {
        mode_t mode = st.st_mode & 07777;
        mode = (attributes & kAttrReadOnly) != 0 ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
        if (mode == (st.st_mode & 07777)) {
            return true;
        }
        if (S_ISREG(st.st_mode) && st.st_nlink > 1) {
            error = ErrnoError(EMLINK);
            return false;
        }
        if (ChangeEntryMode(bareFd, m_fd.Get(), listed, mode)) {
            return true;
        }
        error = ErrnoError(errno);
        return false;
    }

    // For file systems without a no-replace rename: a hard link refuses an existing target;
    // where links are not supported either, the target is looked at just before the rename.
    bool RenameWithoutNoReplace(const std::string& from, const std::string& to, CFileError& error) {
        const int dirFd = m_fd.Get();
        if (::linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0) == 0) {
            if (::unlinkat(dirFd, from.c_str(), 0) == 0) {
                return true;
            }
            const int unlinkErrno = errno;
            ::unlinkat(dirFd, to.c_str(), 0);
            error = ErrnoError(unlinkErrno);
            return false;
        }
        if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK &&
                                errno != ENOSYS && errno != EXDEV)) {
            error = ErrnoError(errno);
            return false;
        }
        struct stat st {};
        if (::fstatat(dirFd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            error = ErrnoError(EEXIST);
            return false;
        }
        if (::renameat(dirFd, from.c_str(), dirFd, to.c_str()) != 0) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

    CFd m_fd;
    CFileId m_id;
    std::uint64_t m_nMount;
    bool m_bVolumeKnown = false;
    CVolumeFacts m_volume;
    // The file the last sharing check opened for writing, per thread: several files of the
    // folder may be shredded at once, each by its own thread.
    std::map<std::thread::id, CHeld> m_held;
    std::mutex m_lock;  // guards m_held and the volume facts
};

}  // namespace

std::unique_ptr<IFolder> MakeFolder(CFd fd, const CFileId& id) {
    return std::make_unique<CPosixFolder>(std::move(fd), id);
}

}  // namespace quorrel::posix

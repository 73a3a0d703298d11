// The file layer the shredder stands on: one portable interface, one backend per system.
//
// A path from the user is resolved once, at the top (IFileSystem::OpenParentOf). Everything
// below it is reached through open folder handles (IFolder): entries are looked up, opened,
// changed, renamed and deleted relative to the folder that holds them, never following a link,
// and every open checks that the entry opened is the one that was listed. So a folder swapped
// for a link in the middle of a run is never entered, and no path length limit applies.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceFacts.h"
#include "platform/FileError.h"

namespace quorrel {

// Attribute bits, with the values the Windows backend reads from the system.
enum : std::uint32_t {
    kAttrReadOnly = 0x01,      // the owner may not write
    kAttrHidden = 0x02,        // a dot name
    kAttrSystem = 0x04,        // never set by the POSIX backend
    kAttrDirectory = 0x10,     // a real directory; a link to one is not
    kAttrDevice = 0x40,        // FIFO, socket or device node: no data of its own
    kAttrReparsePoint = 0x400  // symbolic link or junction: never followed
};

// True when the entry holds data of its own that can be overwritten: neither a folder, nor a
// link, nor a special file.
inline bool IsPlainFile(std::uint32_t attributes) {
    return (attributes & (kAttrDirectory | kAttrDevice | kAttrReparsePoint)) == 0;
}

// Which object an entry is: the volume (device) and the file's number on it. Two names with
// the same identity are the same file.
struct CFileId {
    std::uint64_t m_nVolume = 0;
    std::uint64_t m_nIndex = 0;
    bool operator==(const CFileId& other) const {
        return m_nVolume == other.m_nVolume && m_nIndex == other.m_nIndex;
    }
    bool operator!=(const CFileId& other) const { return !(*this == other); }
};

// What a look-up tells about an entry (never following a final link).
struct CFileStatus {
    std::uint32_t m_attributes = 0;
    std::int64_t m_size = 0;
    std::uint32_t m_mode = 0;  // the system's own permission bits, where it has them
};

// One entry of a folder: its bare name, its attributes and what it is.
struct CDirEntry {
    std::string m_strName;
    std::uint32_t m_attributes = 0;
    CFileId m_id;
    std::uint64_t m_nLinks = 1;  // how many names the file has
    std::uint64_t m_nMount = 0;  // the mount the entry belongs to; 0 when the system can't tell
    std::uint32_t m_mode = 0;    // the system's own permission bits
    std::int64_t m_nOwner = -1;  // the owner's user number; -1 where the system has none
    std::int64_t m_nSize = 0;    // its length in bytes when it was listed
};

// The file system a folder or file lives on, as far as shredding cares.
struct CVolumeFacts {
    std::string m_strType;        // the file system's name ("ext4", "btrfs", "sysfs", ...)
    bool m_bPseudo = false;       // kernel settings and the like: never written
    bool m_bCopyOnWrite = false;  // new data goes to new blocks: old copies may remain
    // Files may share blocks (reflinked copies); false where the file system has no such thing.
    bool m_bCanShareData = true;
};

// The space of the file system a folder lives on, as statvfs tells it.
struct CVolumeSpace {
    std::int64_t m_nBlockBytes = 0;  // the unit space is given out in
    std::int64_t m_nTotalBytes = 0;
    std::int64_t m_nFreeBytes = 0;       // every free block, the administrator's reserve included
    std::int64_t m_nAvailableBytes = 0;  // what a program without privileges may still write
    bool m_bMayUseReserve = false;       // this process may write the administrator's reserve
    bool m_bReadOnly = false;            // mounted read-only: nothing can be written
};

// One range of a file that holds data (holes in between hold nothing).
struct CDataRange {
    std::int64_t m_nStart = 0;
    std::int64_t m_nLength = 0;
};

// Where a copy of a file's contents stays that overwriting the file where it lies cannot reach.
enum class EKeptCopy {
    None,
    LowerLayer,       // an overlay's file whose data is in a lower layer only: opening it for
                      // writing would copy it up, and the passes would reach the copy alone
    AlsoLowerLayer,   // an overlay's file copied up already: its first copy stays below
    MaybeLowerLayer,  // an overlay's file whose layers cannot be seen from here
    Journal,          // the file system writes file data to its journal first (data=journal)
    InlineData,       // the data lives inside the inode, whose old copies the journal keeps
};

// Whether a file system keeps a journal (or log) of its metadata changes, which holds copies of
// names that were deleted since, and what it takes to write every block of it over.
enum class EJournal {
    None,      // no journal of names: nothing to clear
    Internal,  // a journal on the volume itself, whose size is known
    External,  // a journal on another device: out of a run's reach
    Unknown,   // there may be one, but its size cannot be read (no permission, unknown system)
};

// Why a journal's size could not be read (EJournal::Unknown); the catalogue words each.
enum class EJournalWhy {
    None,
    NeedsRoot,            // reading the device needs rights this process lacks
    DeviceNotOpened,      // the device could not be opened
    SuperblockUnread,     // the superblock could not be read
    FastCommits,          // fast commits bypass the part a run can write over
    SizeNotRecorded,      // the superblock keeps no copy of the journal's size
    GeometryUnread,       // the file system's geometry could not be read
    FileSystemUnknown,    // which file system it is could not be told
    UnknownKind,          // a file system whose journal this program does not know
    NotReadOnThisSystem,  // this system's backend does not read it
};

// The journal of a file system, as far as writing it over cares.
struct CJournalFacts {
    EJournal m_eKind = EJournal::Unknown;
    std::int64_t m_nBytes = 0;  // its size (Internal)
    // The fewest bytes one change of the folder's entries (a file made and deleted, the folder
    // flushed) adds to it: a run makes enough changes to write `m_nBytes` by this measure.
    std::int64_t m_nMinChangeBytes = 0;
    // The system tells how far the journal's head has moved (GetJournalHead): a run writes
    // until it has moved `m_nBytes`, however much each change wrote.
    bool m_bHasHead = false;
    EJournalWhy m_eWhy = EJournalWhy::None;  // for Unknown: what kept the size from being read
    std::string m_strFileSystem;             // for UnknownKind: the file system's name
};

// What came of asking a file system to tell its drive that its free space is free (TRIM).
enum class ETrim {
    Done,         // the drive was told; m_nBytes of free space
    Unsupported,  // the device below does not take discards
    NotAllowed,   // only the administrator may ask
    NotOffered,   // this system or file system has no way to ask; m_strWhy says why
    Failed,       // it was asked and failed; m_strWhy says how
};
struct CTrimResult {
    ETrim m_eResult = ETrim::NotOffered;
    std::int64_t m_nBytes = 0;
    std::string m_strWhy;
};

// A folder's own size: what its entries take and the space given to it.
struct CFolderSize {
    std::int64_t m_nBytes = 0;
    std::int64_t m_nAllocatedBytes = 0;
};

// What an open file is now: re-read after every pass to see whether it changed.
struct CFileFacts {
    CFileId m_id;
    std::int64_t m_size = 0;
    std::uint64_t m_nLinks = 1;
};

// An open file, opened for writing with no sharing. Closed by its destructor on every path.
//
// Threads: a handle belongs to the thread that opened it (IFolder::OpenForWrite or
// CreateNewFile) and is used and closed by that thread alone; no method may be called from two
// threads at once. Several handles, each on its own thread, may be in use together.
class IFileHandle {
public:
    virtual ~IFileHandle() = default;
    // Seeks to the end and reports the position: the file's length in bytes.
    virtual bool GetLength(std::int64_t& nLength, CFileError& error) = 0;
    // Moves the write position to `nOffset` bytes from the start.
    virtual bool SeekTo(std::int64_t nOffset, CFileError& error) = 0;
    // Moves the write position back to offset 0.
    bool SeekToBegin(CFileError& error) { return SeekTo(0, error); }
    // Writes all `nBytes`; a write that cannot complete reports disk full (cause 13).
    // Failures name the full path of the file.
    virtual bool Write(const void* pData, std::size_t nBytes, CFileError& error) = 0;
    // Starts writing what was written so far down to the medium, without waiting for it.
    // Backends without such a call may flush here.
    virtual bool StartFlush(CFileError& error) { return Flush(error); }
    // Forces what was written down to the medium and waits for it. Failures name the full path.
    virtual bool Flush(CFileError& error) = 0;
    // Cuts the file to `nLength` bytes (never longer than it is).
    virtual bool Truncate(std::int64_t nLength, CFileError& error) = 0;
    // Closes the file; later calls fail with an invalid handle.
    virtual bool Close(CFileError& error) = 0;

    // What the file is now (identity, length, number of names).
    virtual bool GetFacts(CFileFacts& facts, CFileError& error) = 0;
    // The ranges of the first `nLength` bytes that hold data, in order. A system that cannot
    // tell reports one range over everything.
    virtual bool GetDataRanges(std::int64_t nLength, std::vector<CDataRange>& ranges,
                               CFileError& error) = 0;
    // The file system the file lives on.
    virtual CVolumeFacts GetVolume() = 0;
    // True when some of the file's data is shared with another file (a reflinked copy).
    virtual bool HasSharedData() = 0;
    // Reads `nBytes` at `nOffset` back from the medium itself, not from the system's cache.
    virtual bool ReadBack(std::int64_t nOffset, void* pData, std::size_t nBytes,
                          CFileError& error) = 0;
    // True when ReadBack reads from the medium itself; false where the system offers no way
    // around its cache for a file held the way this one is.
    virtual bool ReadsBackFromMedium() const { return true; }
    // Whether the file system keeps a copy of this file's data out of the passes' reach: its
    // journal (data journaling, inline data). None where the system has no such thing.
    virtual EKeptCopy GetKeptCopy() { return EKeptCopy::None; }
};

// An open folder. Its entries are reached by their bare names, relative to it; a name is
// never a path, and a final link is never followed.
//
// Threads: where IFileSystem::MaxFilesInFlight() is above 1, the per-file calls may come from
// that many threads at once, each about a different entry: GetId, GetMount, GetVolume,
// GetEntryVolume, GetLayerCopy, SetAttributes, SetReadOnlyAndCheckSharing, OpenForWrite,
// RenameListed, DeleteListed, Rename and Delete. SetReadOnlyAndCheckSharing may keep the file
// it opened for its check; the same thread's next OpenForWrite of that very entry takes it
// over, so a thread calls the two one after the other for one entry, as the shredder does.
// Every other method (listing, opening, creating and removing folders, space, journal and
// settling) is called by one thread at a time, while no per-file call of another thread on a
// file of this folder can change what it reads (the walk drains its files before it lists,
// enters, leaves or removes a folder).
class IFolder {
public:
    virtual ~IFolder() = default;

    // Which folder this is.
    virtual CFileId GetId() const = 0;
    // The mount the folder belongs to (0 when the system can't tell).
    virtual std::uint64_t GetMount() const = 0;
    // The file system the folder lives on.
    virtual CVolumeFacts GetVolume() = 0;

    // Lists every entry but "." and "..", in the system's order, as one snapshot taken now.
    virtual bool List(std::vector<CDirEntry>& entries, CFileError& error) = 0;
    // Looks up one entry by its name.
    virtual bool Lookup(const std::string& name, CDirEntry& entry, CFileError& error) = 0;
    // Whether the data of the file `listed` lies (or lay) in a lower layer of an overlay this
    // folder belongs to. Asked before the file is opened for writing, which would copy it up.
    // None off an overlay, and where the system has no such thing.
    virtual EKeptCopy GetLayerCopy(const CDirEntry& listed) {
        (void)listed;
        return EKeptCopy::None;
    }
    // Opens the sub-folder `listed`. Fails when the name is no longer a real folder or is not
    // the folder that was listed (bad path, cause 3).
    virtual std::unique_ptr<IFolder> OpenFolder(const CDirEntry& listed, CFileError& error) = 0;
    // Opens this folder's parent, which must be `expected` (bad path, cause 3, otherwise).
    virtual std::unique_ptr<IFolder> OpenParent(const CFileId& expected, CFileError& error) = 0;

    // Sets or clears the read-only bit of `listed` (never of a link), then proves the file can
    // be opened while nobody holds it: a lock held elsewhere fails with cause 11.
    virtual bool SetReadOnlyAndCheckSharing(const CDirEntry& listed, std::uint32_t attributes,
                                            CFileError& error) = 0;
    // Writes the attribute bits this system can store (the read-only bit) to `listed`; links
    // are left alone. False when the change failed.
    virtual bool SetAttributes(const CDirEntry& listed, std::uint32_t attributes) = 0;
    // Gives the owner of this folder what a walk needs (listing, entering, removing entries).
    // True when that changed its mode, with the mode it had in `nPrevious`.
    virtual bool OpenUp(std::uint32_t& nPrevious) = 0;
    // Gives this folder back a mode that OpenUp reported.
    virtual bool RestoreMode(std::uint32_t nMode) = 0;
    // Opens the regular file `listed` for writing with share mode 0: no other holder of a lock
    // of any kind (cause 11). Refused when the entry is no longer the one listed. Failures
    // name `displayPath`; later write failures name its full path.
    virtual std::unique_ptr<IFileHandle> OpenForWrite(const CDirEntry& listed,
                                                      const std::string& displayPath,
                                                      CFileError& error) = 0;
    // Renames entry `from` to `to` in this folder; an existing `to` is never replaced.
    virtual bool Rename(const std::string& from, const std::string& to, CFileError& error) = 0;
    // Deletes the entry `name` (a file, link or special file; never a folder).
    virtual bool Delete(const std::string& name, CFileError& error) = 0;
    // Renames the entry `listed` to `to` as Rename() does, only while its name still leads to
    // that very entry (same identity and kind): a name swapped since is refused (Replaced).
    // A backend that cannot tell renames by the name.
    virtual bool RenameListed(const CDirEntry& listed, const std::string& to, CFileError& error) {
        return Rename(listed.m_strName, to, error);
    }
    // Deletes the entry `name` as Delete() does, only while it is still the entry `listed`
    // (identity and kind; its own name may differ): another entry found there is refused
    // (Replaced). A backend that cannot tell deletes by the name.
    virtual bool DeleteListed(const CDirEntry& listed, const std::string& name, CFileError& error) {
        (void)listed;
        return Delete(name, error);
    }
    // The file system the entry `listed` itself lives on: the folder's, unless something (a
    // bind mount of a single file) is mounted on the entry.
    virtual CVolumeFacts GetEntryVolume(const CDirEntry& listed) {
        (void)listed;
        return GetVolume();
    }
    // Removes the empty sub-folder `name`.
    virtual bool RemoveFolder(const std::string& name, CFileError& error) = 0;

    // The space of the file system this folder lives on.
    virtual bool GetSpace(CVolumeSpace& space, CFileError& error) = 0;
    // Creates the new sub-folder `name` with permission bits `nMode` and opens it. An existing
    // entry of that name is never reused: that fails with EFileFault::NameTaken.
    virtual std::unique_ptr<IFolder> CreateNewFolder(const std::string& name, std::uint32_t nMode,
                                                     CFileError& error) = 0;
    // Creates the new, empty file `name` (readable by its owner only) and opens it for
    // writing. An existing entry is never opened: that fails with EFileFault::NameTaken.
    // Failures name `displayPath`; later write failures name its full path.
    virtual std::unique_ptr<IFileHandle> CreateNewFile(const std::string& name,
                                                       const std::string& displayPath,
                                                       CFileError& error) = 0;
    // Writes this folder and the file system's journal out to the blocks they belong in, where
    // the system allows it: a folder just made holds a block that may have held deleted data,
    // and a journaled block freed again before it was written there keeps that data. False
    // where it could not be done (a system without a journal to write out counts as done).
    virtual bool SettleInPlace() { return true; }
    // Forces this folder's entries, as they are now, down to the medium (the folder's own
    // flush). A system without such a flush counts it as done.
    virtual bool FlushEntries(CFileError& error) {
        (void)error;
        return true;
    }
    // Writes the entries of this emptied folder out to the folder's own blocks before it is
    // removed: a file system that would otherwise free those blocks with only the journal
    // knowing of the deletions (ext4) leaves the old names in them for good. True where
    // nothing needs doing.
    virtual bool WriteOutDeletions() { return true; }
    // This folder's own size. False where the system cannot tell.
    virtual bool GetFolderSize(CFolderSize& size) {
        (void)size;
        return false;
    }
    // The journal of the file system this folder lives on.
    virtual CJournalFacts GetJournal() { return CJournalFacts(); }
    // How many file records (inodes) the file system has made and holds free now, and how
    // many bytes of a record a short link's target fills: a record freed keeps what it held
    // (a short folder's names) until it is used again. False where the system does not tell,
    // or gives a freed record's space back.
    virtual bool GetFreeRecords(std::int64_t& nRecords, std::int64_t& nInlineBytes) {
        (void)nRecords;
        (void)nInlineBytes;
        return false;
    }
    // Creates the new symbolic link `name` to `target` (never replacing an entry: NameTaken).
    virtual bool CreateLink(const std::string& name, const std::string& target, CFileError& error) {
        (void)name;
        (void)target;
        error.m_nCause = kCauseGeneric;
        return false;
    }
    // How many bytes the journal's head has moved since the file system was mounted (wrapping
    // counted). False where the system does not tell (CJournalFacts::m_bHasHead).
    virtual bool GetJournalHead(std::int64_t& nBytes) {
        (void)nBytes;
        return false;
    }
    // What the volume the entry `listed` lives on is stored on (DeviceFacts.h): its chain of
    // devices down to the drives. False where the system tells nothing of it.
    virtual bool GetDevice(const CDirEntry& listed, CVolumeDevice& device) {
        (void)listed;
        (void)device;
        return false;
    }
    // Tells the drive under this folder's file system that the free blocks among its bytes
    // `nStart` to `nStart + nLength` (to its end when `nLength` is negative) are free, so that a
    // flash drive may erase them and a thin or image-backed device gives them back.
    virtual CTrimResult TrimFreeSpace(std::int64_t nStart, std::int64_t nLength) {
        (void)nStart;
        (void)nLength;
        return CTrimResult();
    }
    // Opens the top folder of the mount this folder belongs to, with the path the system
    // knows it by in `topPath` (empty when it can't tell).
    virtual std::unique_ptr<IFolder> OpenVolumeTop(std::string& topPath, CFileError& error) = 0;
};

// The operations the shredder needs of a file system. Paths are byte strings (UTF-8 on
// Windows), used exactly as given: nothing is converted, trimmed or limited in length.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // Resolves `path` once: opens the folder that holds its last part (following links in the
    // folder part, which the user named) and gives that last part in `name`. A path that
    // names the root, or ends in "." or "..", has no last part of its own and is refused.
    virtual std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                                  CFileError& error) = 0;
    // Reads the status of `path` itself (a final link is not followed).
    virtual bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) = 0;
    // Looks a path up the way a listing of that path would: the entry itself, or, when no
    // entry has that literal name, the first match of a `*`/`?` pattern in its last part
    // (MatchesPattern). A path ending in a separator names the folder before it and finds
    // only a real folder (never a link to one). The root of the file system is not found.
    virtual bool FindEntry(const std::string& path, CDirEntry& entry) = 0;
    // True when `path` names the root folder of the whole file system.
    virtual bool IsFileSystemRoot(const std::string& path) = 0;
    // Opens the folder `path` names, following links in it (the user named it), the root
    // included. Fails when it is no folder.
    virtual std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) = 0;
    // True when `path`, resolved now as OpenFolder() resolves it, leads to the open folder
    // `folder` (the same folder on the same mount), so that `folder` may stand for `path`
    // instead of a second open. False when it leads elsewhere or the system can't tell.
    virtual bool LeadsToFolder(const std::string& path, const IFolder& folder) {
        (void)path;
        (void)folder;
        return false;
    }
    // How many files of one folder may be shredded at once through this layer: its folders
    // and files may then be used from that many threads together. 1 where they may not.
    virtual int MaxFilesInFlight() const { return 1; }
};

// The file system of the machine this program runs on.
IFileSystem& SystemFileSystem();

// True when `c` separates the parts of a path on this system ('/'; '\\' too on Windows).
bool IsPathSeparator(char c);

// The separator this system puts between the parts of a path it forms.
char PreferredSeparator();

// The user number this program runs as (its effective user); -1 where the system has none.
std::int64_t CurrentUserNumber();

// The current directory; the root when it cannot be read.
std::string CurrentDirectory();

// How many characters of `path` are its root: 1 for "/" here; "C:\", "\\server\share\" and
// "\\?\C:\" on Windows. 0 for a relative path.
std::size_t PathRootLength(const std::string& path);

// Joins a folder and an entry name with one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder part of `path` ("." when it has none), without a trailing separator.
std::string ParentFolder(const std::string& path);

// The last part of `path` (trailing separators ignored); empty for the root.
std::string LastPathPart(const std::string& path);

// `path` made absolute against the current directory, with "." and ".." parts resolved
// by their names, as the open of a file reports its full path.
std::string FullPath(const std::string& path);

// True when `name` is "." or "..", which name a folder by its relation, not by a name of its
// own.
bool IsDotName(const std::string& name);

// True when `name` holds a pattern character, `*` or `?`.
bool HasPattern(const std::string& name);

// True when the entry name `name` matches `pattern` by this system's rules: `*` any run of
// characters, `?` any one. Here a leading "." is matched only by a "." in the pattern; on
// Windows letter case is ignored and "*.*" matches every name, as the system's listing does.
bool MatchesPattern(const std::string& pattern, const std::string& name);

// Every entry of `folder` that `pattern` matches, in the listing's order; only real folders
// when `bFoldersOnly`. False (with `error`) when the folder cannot be listed.
bool ListMatches(IFolder& folder, const std::string& pattern, bool bFoldersOnly,
                 std::vector<CDirEntry>& matches, CFileError& error);

// FindEntry's rule over the folders `fileSystem` opens: the entry of the literal name in the
// folder that holds it, else the first match of a pattern; with a trailing separator only a
// real folder; a drive-relative path is not found. The caller refuses the root.
bool FindNamedEntry(IFileSystem& fileSystem, const std::string& path, CDirEntry& entry);

// True when `path` ends in a separator after its root: it names the folder before it.
bool EndsInSeparator(const std::string& path);

// `path` with every run of separators after its root written as one ("a///b/" is "a/b/").
std::string CollapseSeparators(const std::string& path);

// True when `path` is relative to the current folder of a drive ("E:", "E:notes.txt"), which
// Windows keeps for each drive apart from the process's own; never true here.
bool IsDriveRelative(const std::string& path);

}  // namespace quorrel

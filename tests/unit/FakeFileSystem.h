// The file system the tests stand on: the real one underneath, with failures injected on
// request, pretended facts a test disk cannot show, and a record of what reaches each open file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel::test {

// The operations a fault can be placed on.
enum class EFileOp {
    GetStatus,
    SetStatus,
    Open,
    Length,
    Seek,
    Write,
    Flush,
    Truncate,
    Close,
    Rename,
    Delete,
    RemoveFolder,
    List,
    Create,
    ReadBack,
};

// Passes every call to the real file system unless a fault was armed for it. A fault fails
// the Nth call of its operation (counted over all files) with a cause and is then spent; the
// failure names the file the way the real layer would for that operation. Every call that
// reaches a file or changes a name is recorded, whether it fails or not.
class CFakeFileSystem final : public IFileSystem {
public:
    explicit CFakeFileSystem(IFileSystem& real = SystemFileSystem()) : m_real(real) {}

    // Arms a failure of the `nCall`-th call (1-based, counted from now) of `op`.
    void FailOn(EFileOp op, int nCause, int nCall = 1);
    // A write that fills the disk: the `nCall`-th write stores only `nBytesStored` bytes of
    // its data, then fails with cause 13.
    // `nOsError` is the system's code it reports (ENOSPC, EDQUOT: both are cause 13).
    void FillDiskOn(int nCall, std::size_t nBytesStored, int nOsError = 0);
    // A disk that fills at the `nCall`-th write and stays full: that write and every later one
    // stores nothing and fails with cause 13, or with the cause of `nOsError` when it is not
    // ENOSPC or EDQUOT (a driver's odd answer).
    void StayFullFrom(int nCall, int nOsError = 0);
    // A write that lies: the `nCall`-th write reports success but stores other bytes than it
    // was given (each one inverted), as a failing medium might.
    void LieOnWrite(int nCall);
    // Adds attribute bits the real system cannot show (the system attribute) to `path`.
    void AddAttributes(const std::string& path, std::uint32_t attributes);
    // Every folder and file from now on reports living on `volume`.
    void PretendVolume(const CVolumeFacts& volume) { m_volume = volume; }
    // Every folder from now on reports its volume stored on `device` (at first: none known).
    void PretendDevice(const CVolumeDevice& device) { m_device = device; }
    const std::optional<CVolumeDevice>& Device() const { return m_device; }
    // How many times the device facts were asked for.
    int DeviceAsks() const { return m_nDeviceAsks; }
    void NoteDeviceAsked() { ++m_nDeviceAsks; }
    // TrimFreeSpace answers `result` from now on, each slice telling its bytes (at first: the
    // system offers no way, and says nothing). The slices asked are kept in m_trims.
    void PretendTrim(const CTrimResult& result) { m_trim = result; }
    const CTrimResult& Trim() const { return m_trim; }
    std::vector<std::pair<std::int64_t, std::int64_t>> m_trims;
    // A create failed by FailOn(EFileOp::Create, ...) makes its entry all the same first.
    void LeaveEntryOnFailedCreate() { m_bCreateLeavesEntry = true; }
    bool CreateLeavesEntry() const { return m_bCreateLeavesEntry; }
    // GetSpace reports these, one after another; the last one stays.
    void PretendSpace(std::vector<CVolumeSpace> spaces) { m_spaces = std::move(spaces); }
    // OpenVolumeTop opens `path` instead of the real top of the mount.
    void PretendVolumeTop(const std::string& path) { m_strVolumeTop = path; }
    // Every file from now on reports sharing its data with another file.
    void PretendSharedData() { m_bSharedData = true; }
    // Every file from now on reports this copy out of the passes' reach: the overlay kinds
    // through its folder, before it is opened, the journal kinds through the open file.
    void PretendKeptCopy(EKeptCopy kept) { m_keptCopy = kept; }
    EKeptCopy KeptCopy() const { return m_keptCopy; }
    // The journal every folder reports from now on (at first: none, so that no test writes
    // over the journal of the disk it runs on). Where the journal tells its head, the head
    // moves by `nHeadStep` bytes with every flush of a folder's entries.
    void PretendJournal(const CJournalFacts& journal, std::int64_t nHeadStep = 0) {
        m_journal = journal;
        m_nHeadStep = nHeadStep;
    }
    const CJournalFacts& Journal() const { return m_journal; }
    static CJournalFacts NoJournal() {
        CJournalFacts none;
        none.m_eKind = EJournal::None;
        return none;
    }
    // A flush of a folder's entries: moves the pretended journal's head.
    void NoteEntriesFlushed() { m_nHead += m_nHeadStep; }
    std::int64_t JournalHead() const { return m_nHead; }
    // Every file from now on reads back from the system's cache, as on a system with no way
    // around it.
    void PretendCachedReadBack() { m_bCachedReadBack = true; }
    bool CachedReadBack() const { return m_bCachedReadBack; }
    // Every entry looked up is a file of `nLength` bytes that stores nothing (for lengths no
    // test disk should hold): the disk is not touched, only the byte counts of passes are kept.
    void PretendLength(std::int64_t nLength) { m_nPretendLength = nLength; }
    bool PretendsEntries() const { return m_nPretendLength >= 0; }
    std::int64_t PretendedLength() const { return m_nPretendLength; }
    // Called with the entry's path just before an entry is opened, changed or entered: a test
    // swaps the entry here, as another process might between the listing and the open.
    void BeforeOpen(std::function<void(const std::string&)> hook) {
        m_beforeOpen = std::move(hook);
    }
    // Called with the entry's path just before an entry is renamed or deleted after its
    // passes: a test swaps the entry here.
    void BeforeNameChange(std::function<void(const std::string&)> hook) {
        m_beforeNameChange = std::move(hook);
    }
    // Called with the file's full path just before each flush that ends a pass, outside the
    // fake's lock: a test holds one file's flush back here while others go on.
    void BeforeFlush(std::function<void(const std::string&)> hook) {
        m_beforeFlush = std::move(hook);
    }
    // From now on the engine may shred several files at once through the fake (as many as the
    // real layer allows); until then one at a time, so that counted faults hit a known file.
    void AllowFilesInFlight() { m_bFilesInFlight = true; }
    int MaxFilesInFlight() const override {
        return m_bFilesInFlight ? m_real.MaxFilesInFlight() : 1;
    }

    // How many calls of `op` were made so far.
    int CallCount(EFileOp op) const;

    // What was recorded: the calls in order ("open", "seek", "write" once for a run of
    // writes, "flush", "truncate", "close", "rename", "delete", "create"), the bytes written
    // after each seek that starts a pass (a pass ends with its Flush), and their counts. The
    // bytes themselves are kept only from KeepPassBytes() on: a fill would hold its every pass.
    void KeepPassBytes() { m_bKeepPassBytes = true; }
    std::vector<std::string> m_events;
    std::vector<std::string> m_passes;
    std::vector<std::int64_t> m_passBytes;

    std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                          CFileError& error) override;
    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override;
    bool FindEntry(const std::string& path, CDirEntry& entry) override;
    bool IsFileSystemRoot(const std::string& path) override;
    std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) override;
    bool LeadsToFolder(const std::string& path, const IFolder& folder) override {
        return m_real.LeadsToFolder(path, folder);
    }

    // For the fake's folders and files.
    // The space GetSpace reports instead of the real one, if a test set it.
    bool SpaceFires(CVolumeSpace& space);
    const std::string& VolumeTop() const { return m_strVolumeTop; }
    // Counts a call of `op`; true (with `error` filled) when an armed fault fires on it.
    bool Fires(EFileOp op, const std::string& name, CFileError& error);
    // The bytes the next write may store before failing, when a disk-full fault fires on it.
    bool DiskFullFires(std::size_t& nBytesStored, int& nOsError);
    // True when the write just counted is to lie.
    bool LieFires();
    // The attributes added to `path`, if any.
    std::uint32_t ExtraAttributes(const std::string& path) const;
    // The hooks' calls, if a test set them.
    void NotifyOpen(const std::string& path) const;
    void NotifyNameChange(const std::string& path) const;
    void NotifyFlush(const std::string& path) const;
    // `real`, or the volume a test pretends; one that pretends shared data can share it.
    CVolumeFacts VolumeOver(CVolumeFacts real) const;
    bool SharedData() const { return m_bSharedData; }
    // Records a call; a write adds `nBytes` to the pass under way, and its bytes when `pData`
    // is given. A pass is started by StartPass().
    void Record(const char* event);
    void RecordWrite(const void* pData, std::size_t nBytes);
    void StartPass();

private:
    struct CFault {
        int nCause = 0;
        int nCall = 0;  // fires when the call count reaches this number
    };

    IFileSystem& m_real;
    std::map<EFileOp, CFault> m_faults;
    std::map<EFileOp, int> m_calls;
    std::map<std::string, std::uint32_t> m_extraAttributes;
    int m_nDiskFullCall = 0;
    std::size_t m_nDiskFullBytes = 0;
    int m_nDiskFullErrno = 0;
    int m_nFullFromCall = 0;
    std::vector<CVolumeSpace> m_spaces;
    std::string m_strVolumeTop;
    int m_nLieCall = 0;
    std::optional<CVolumeFacts> m_volume;
    std::optional<CVolumeDevice> m_device;
    int m_nDeviceAsks = 0;
    CTrimResult m_trim;
    bool m_bSharedData = false;
    EKeptCopy m_keptCopy = EKeptCopy::None;
    bool m_bCachedReadBack = false;
    CJournalFacts m_journal = NoJournal();
    std::int64_t m_nHeadStep = 0;
    std::int64_t m_nHead = 0;
    bool m_bCreateLeavesEntry = false;
    std::int64_t m_nPretendLength = -1;
    bool m_bKeepPassBytes = false;
    std::function<void(const std::string&)> m_beforeOpen;
    std::function<void(const std::string&)> m_beforeNameChange;
    std::function<void(const std::string&)> m_beforeFlush;
    bool m_bFilesInFlight = false;
    // The counts and records are shared by files shredded at once.
    mutable std::mutex m_lock;
};

}  // namespace quorrel::test

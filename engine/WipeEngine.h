// The shredding engine: one file, one folder tree, one list entry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CrtRandom.h"
#include "engine/ListPaths.h"
#include "engine/RandomChunks.h"
#include "engine/RunHost.h"
#include "platform/FileSystem.h"

namespace quorrel {

// How an entry is shredded: normal mode destroys it (overwrite, truncate, random name,
// delete); recycle-bin mode only overwrites it in place, for the bin's own emptying to remove.
enum class EWipeMode { Normal, RecycleBin };

// What became of an entry, or of a whole run.
enum class EWipeOutcome {
    Destroyed,          // overwritten where it lay and removed (recycle-bin mode: overwritten)
    RemovedNotInPlace,  // removed, but old copies of its contents may remain on the disk
    Failed,             // not destroyed; a "* " line says why
    Aborted,            // the user stopped it
};

// True when the entry is gone from where it was (recycle-bin mode: overwritten).
inline bool IsRemoved(EWipeOutcome outcome) {
    return outcome == EWipeOutcome::Destroyed || outcome == EWipeOutcome::RemovedNotInPlace;
}

// The engine a window (or the terminal) keeps for its whole life: it owns the generator, whose
// sequence runs on from one file to the next, and the current overwrite method.
class CWipeEngine {
public:
    // Bytes written per write call. Passes are written in chunks of this size with the same
    // byte sequence a byte-by-byte write would give.
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    // Bytes written between two flushes inside a pass, so that no single flush keeps the
    // window from repainting for long (a few slices are in write-back at a time).
    static constexpr std::int64_t kFlushSliceBytes = 4 * 1024 * 1024;
    // Bytes cut per step of the truncation: freeing a large file's blocks in one call can keep
    // the window from painting for a noticeable fraction of a second.
    static constexpr std::int64_t kTruncateStepBytes = 64 * 1024 * 1024;
    // Random names tried before a rename gives up: a name already taken is skipped.
    static constexpr int kRandomNameTries = 16;
    // Folders of a walk held open at once; deeper ones are reached again from below.
    static constexpr std::size_t kMaxOpenFolders = 64;

    CWipeEngine(IFileSystem& fileSystem, IRunHost& host);

    // The overwrite method every later file is shredded with (any value; see WipeMethod.h).
    void SetWipeMethod(int nMethod) { m_nWipeMethod = nMethod; }
    int GetWipeMethod() const { return m_nWipeMethod; }
    // Whether every file is read back from the medium after its last pass and compared with
    // what that pass wrote.
    void SetVerify(bool bVerify) { m_bVerify = bVerify; }
    // The clock (whole seconds since 1970) used to reseed the random method and time runs.
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    std::int64_t Now() const { return m_clock(); }
    CCrtRandom& Random() { return m_random; }
    IRunHost& Host() { return m_host; }
    IFileSystem& Files() { return m_fs; }
    // How many failure lines ("* ...") the engine has written since it was made.
    int FailureCount() const { return m_nFailures; }
    // How many files were removed, but may have left copies of their contents on the disk
    // (copy-on-write file system, shared data, changed while shredded).
    int WarningCount() const { return m_nWarnings; }
    // What everything since the engine was made came to: aborted when the user stopped a
    // file or a walk; else failed when any line reported a failure; else removed-not-in-place
    // when any warning was given; else destroyed. quorrel-shred's exit status follows it.
    EWipeOutcome RunOutcome() const;
    // Notes that the user stopped the run (the runs call it when they end early).
    void NoteAborted() { m_bAborted = true; }

    // Destroys one file: overwrites it with every pass of the method, then (normal mode)
    // truncates it, renames it to a random name in its own folder and deletes it. In
    // recycle-bin mode the file is only overwritten. Links and special files hold no data:
    // normal mode removes the entry, recycle-bin mode leaves it. Writes its own log lines;
    // true when the file was destroyed (or, in recycle-bin mode, overwritten).
    EWipeOutcome WipeFile(const std::string& path, EWipeMode mode);

    // Shreds a folder tree depth first; normal mode removes each folder once emptied. Never
    // walks the file system's root, never follows a link and never leaves the mount the
    // folder is on. False when the folder cannot be listed or the run was aborted; true when
    // the walk went through, whatever became of the entries (their lines say).
    bool WipeFolder(const std::string& path, EWipeMode mode);

    // Shreds one list entry as the file system sees it now: a folder (in recycle-bin mode when
    // it carries the system attribute) or a file. A folder counts as removed when its walk
    // went through, as the list run takes its row out then. The entry of the literal name
    // wins; else a last part holding `*` or `?` shreds every entry it matches, as if each had
    // been named (the worst of their outcomes is the entry's). A trailing separator names the
    // folder before it; runs of separators are shown as one.
    EWipeOutcome WipeListItem(const std::string& path);

    // Forgets which entries the list entries so far destroyed, and closes the folder kept from
    // the last one: a new list run begins, or one has ended. Within a run, an entry named
    // again after it was destroyed (or one inside a folder destroyed before) is said to be
    // gone, and is no failure.
    void ForgetShredded() {
        m_shredded.clear();
        m_listPaths.Forget();
    }

    // The same for an entry already listed in the open folder `folder`; `path` is what the log
    // calls it. A folder entry is walked, anything else wiped as a file.
    EWipeOutcome WipeEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                           EWipeMode mode);

    // Opens the folder `path` names, resolving the path once (links in it followed, as the
    // user named it); the final part must be a real folder. Null when it can't, with
    // `bExists` telling whether anything of that name exists.
    std::unique_ptr<IFolder> OpenFolderPath(const std::string& path, bool& bExists);

    // Appends a failure line to the log and counts it.
    void Fail(const std::string& line);
    // Appends a warning line (data may remain on the disk) and counts it.
    void Warn(const std::string& line);

private:
    friend class CFreeSpaceFill;  // fills free space with the passes files get
    struct CWalkFrame;
    struct CFileRun;

    EWipeOutcome WipeNamed(IFolder& parent, const CDirEntry& entry, const std::string& path,
                           const std::string& shown, bool bFolderOnly);
    EWipeOutcome WipeMatches(IFolder& parent, const std::vector<CDirEntry>& matches,
                             const std::string& shown, bool bFolderOnly);
    EWipeOutcome NothingNamed(const std::string& path, const std::string& shown);
    void NoteShredded(const std::string& shown);
    EWipeOutcome WipeFileEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                               EWipeMode mode, bool bWalked = false);
    EWipeOutcome WipeAcceptedEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                   EWipeMode mode);
    bool GainedOtherNames(CFileRun& run);
    EWipeOutcome WalkOutcome(bool bWalked, int nWarningsBefore) const;
    EWipeOutcome OverwriteAndFinish(IFolder& folder, const CDirEntry& entry,
                                    const std::string& path, EWipeMode mode);
    bool RefuseEntry(IFolder& folder, const CDirEntry& entry, const std::string& path);
    bool PrepareNormalMode(IFolder& folder, const CDirEntry& entry, const std::string& path);
    EWipeOutcome RenameAndDelete(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                 bool bChanged);
    bool OverwriteFile(CFileRun& run);
    bool WritePass(CFileRun& run, int nPass, CFileError& error);
    bool CheckUnchanged(CFileRun& run);
    bool IsCutShort(CFileRun& run, std::int64_t nEnd);
    bool VerifyLastPass(CFileRun& run);
    const std::uint8_t* FillChunk(std::vector<std::uint8_t>& chunk, std::size_t nBytes,
                                  std::uint8_t nByte);
    EWipeOutcome FinishFile(CFileRun& run, EWipeMode mode);
    bool TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error);
    void WarnAboutCopies(CFileRun& run);
    EWipeOutcome LeaveInLowerLayer(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                   EWipeMode mode);
    std::string RandomName();

    struct CWalk;
    bool WalkFolder(IFolder& parent, const CDirEntry& entry, const std::string& path,
                    EWipeMode mode);
    bool EnterFolder(CWalk& walk, CWalkFrame& frame);
    bool StepWalk(CWalk& walk);
    bool LeaveFolder(CWalk& walk);
    void BoundOpenFolders(CWalk& walk);
    void RestoreWalkModes(CWalk& walk);
    bool IsOtherMount(const IFolder& folder, const CDirEntry& entry) const;
    bool RefusePseudo(IFolder& folder, const std::string& path);

    IFileSystem& m_fs;
    IRunHost& m_host;
    CCrtRandom m_random;
    CRandomChunks m_randomChunks;  // the random method's bytes, drawn through m_random
    int m_nWipeMethod = 0;
    bool m_bVerify = false;
    int m_nFailures = 0;
    int m_nWarnings = 0;
    bool m_bAborted = false;
    std::function<std::int64_t()> m_clock;
    // The full paths of the entries the list run destroyed so far, with what the log called them.
    std::map<std::string, std::string> m_shredded;
    CListPaths m_listPaths;  // the folder the last list entry was found in
};

}  // namespace quorrel

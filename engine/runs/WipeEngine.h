// The shredding engine: one file, one folder tree, one list entry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/file/FileShredder.h"
#include "engine/file/PassWriter.h"
#include "engine/log/RunLog.h"
#include "engine/names/NameRefill.h"
#include "engine/runs/DeviceNotes.h"
#include "engine/walk/FilesInFlight.h"
#include "engine/walk/FolderWalk.h"
#include "engine/walk/ListPaths.h"
#include "platform/FileSystem.h"

namespace quorrel {

// The engine a window (or the terminal) keeps for its whole life: it owns the generator, whose
// sequence runs on from one file to the next, and the current overwrite method.
class CWipeEngine : private IFileSink {
public:
    // Files in flight for the terminal and the window unless the user chooses: enough for a
    // flash stick's flush waits to overlap, few enough to cost nothing on a fast disk.
    static constexpr int kDefaultFilesInFlight = 8;

    CWipeEngine(IFileSystem& fileSystem, IRunHost& host);

    // The overwrite method every later file is shredded with (any value; see WipeMethod.h).
    void SetWipeMethod(int nMethod) { m_writer.SetWipeMethod(nMethod); }
    int GetWipeMethod() const { return m_writer.GetWipeMethod(); }
    // Whether every file is read back from the medium after its last pass and compared with
    // what that pass wrote.
    void SetVerify(bool bVerify) { m_bVerify = bVerify; }
    // How many files of a folder a walk shreds at once (1: one after another), as far as the
    // file system allows; the log is the same either way. `bOnlyWhenFilesWait`: each walk
    // begins with one file at a time and puts several in flight once files turn out to wait
    // for their device (a stick, a card, a hard disk); on media where flushes cost nothing,
    // other threads would only cost time. See kDefaultFilesInFlight.
    void SetFilesInFlight(int nFiles, bool bOnlyWhenFilesWait = false) {
        m_nFilesInFlight = nFiles < 1 ? 1 : nFiles;
        m_bOnlyWhenFilesWait = bOnlyWhenFilesWait;
    }
    // The clock (whole seconds since 1970) used to reseed the random method and time runs.
    void SetClock(std::function<std::int64_t()> clock) { m_writer.SetClock(std::move(clock)); }
    std::int64_t Now() const { return m_writer.Now(); }
    // The method, generator and chunk loop every pass is written with.
    CPassWriter& Writer() { return m_writer; }
    IRunHost& Host() { return m_host; }
    IFileSystem& Files() { return m_fs; }
    // How many failure lines ("* ...") the engine has written since it was made.
    int FailureCount() const { return m_log.FailureCount(); }
    // How many files were removed, but may have left copies of their contents on the disk
    // (copy-on-write file system, shared data, changed while shredded).
    int WarningCount() const { return m_log.WarningCount(); }
    // What everything since the engine was made came to: aborted when the user stopped a
    // file or a walk; else failed when any line reported a failure; else removed-not-in-place
    // when any warning was given; else destroyed. quorrel-shred's exit status follows it.
    EWipeOutcome RunOutcome() const { return m_log.Outcome(); }
    // Notes that the user stopped the run (the runs call it when they end early).
    void NoteAborted() { m_log.NoteAborted(); }

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

    // Shreds the list entry `path` as WipeListItem() does and tells `then` its outcome, on this
    // thread. A file named as it is may still be in flight when this returns, beside the ones
    // handed over before it: `then` is told later (during a later call, or FinishListItems()),
    // always in the order the entries were given; one the user's abort kept from beginning is
    // told NotBegun (the run did not reach it). Anything else waits for those files first.
    void WipeListItemThen(const std::string& path, std::function<void(EWipeOutcome)> then);
    // Waits for every list entry still in flight, telling each one's outcome; then, unless the
    // user stopped the run, refills the entry space of the folders the entries were deleted
    // from, where the file system keeps old names there (see RefillEntrySpace()).
    void FinishListItems();

    // Forgets which entries the list entries so far destroyed, and closes the folder kept from
    // the last one: a new list run begins, or one has ended. Within a run, an entry named
    // again after it was destroyed (or one inside a folder destroyed before) is said to be
    // gone, and is no failure.
    void ForgetShredded() {
        m_shredded.clear();
        m_shreddedIn.clear();
        m_listPaths.Forget();
        m_stayFolders.Forget();
    }

    // The same for an entry already listed in the open folder `folder`; `path` is what the log
    // calls it. A folder entry is walked, anything else wiped as a file.
    EWipeOutcome WipeEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                           EWipeMode mode);

    // The volumes the current run shreds on, with their drives' facts (read once per volume
    // per run). SetEnabled(false) leaves them unread and says nothing of them.
    CDeviceNotes& DeviceNotes() { return m_deviceNotes; }
    // Says, once per flash volume the run shredded on, that its drive may keep earlier copies
    // (CDeviceNotes::Say). Every run calls DeviceNotes().Forget() first and this before its
    // time line.
    void SayDeviceNotes() { m_deviceNotes.Say(m_log); }

    // Appends a failure line to the log and counts it.
    void Fail(const std::string& line) { m_log.Fail(line); }
    // Appends a warning line (data may remain on the disk) and counts it.
    void Warn(const std::string& line) { m_log.Warn(line); }

private:
    EWipeOutcome WipeNamed(IFolder& parent, const CDirEntry& entry, const std::string& path,
                           const std::string& shown, bool bFolderOnly);
    EWipeOutcome WipeMatches(IFolder& parent, const std::vector<CDirEntry>& matches,
                             const std::string& shown, bool bFolderOnly);
    EWipeOutcome NothingNamed(const std::string& path, const std::string& shown,
                              const IFolder* pParent);
    bool FindListedFile(const std::string& path, std::shared_ptr<IFolder>& parent,
                        CDirEntry& entry);
    // The matches of the pattern `path` ends in, with the folder that holds them, when every
    // one is a plain file on that folder's mount and none is in flight: they may go in flight
    // as rows do. False for anything else, which WipeListItem() looks at afresh.
    bool FindMatchedFiles(const std::string& path, std::shared_ptr<IFolder>& parent,
                          std::vector<CDirEntry>& matches);
    // Hands every match over to the files in flight; `then` is told the pattern's outcome
    // once the last one is done.
    void WipeMatchesInFlight(const std::shared_ptr<IFolder>& parent,
                             const std::vector<CDirEntry>& matches, const std::string& shown,
                             const std::function<void(EWipeOutcome)>& then);
    void NoteShredded(const std::string& shown);
    void NoteShreddedIn(const CFileId& folder, const std::string& name, const std::string& shown);
    void NoteStayFolder(const std::shared_ptr<IFolder>& folder, const std::string& shown,
                        const std::string& name);
    EWipeOutcome WipeFileEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                               EWipeMode mode);
    bool WalkFolder(IFolder& parent, const CDirEntry& entry, const std::string& path,
                    EWipeMode mode);
    EWipeOutcome WalkOutcome(bool bWalked, int nWarningsBefore) const;
    void ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                   EWipeMode mode) override;

    IFileSystem& m_fs;
    IRunHost& m_host;
    CRunLog m_log;
    CPassWriter m_writer;
    bool m_bVerify = false;
    int m_nFilesInFlight = 1;
    bool m_bOnlyWhenFilesWait = false;
    std::unique_ptr<CFilesInFlight> m_listInFlight;  // a list run's files in flight
    // The full paths of the entries the list run destroyed so far, with what the log called them.
    std::map<std::string, std::string> m_shredded;
    // The same by the identity of the folder that held each (volume, index) and its name.
    std::map<std::tuple<std::uint64_t, std::uint64_t, std::string>, std::string> m_shreddedIn;
    CListPaths m_listPaths;      // the folder the last list entry was found in
    CStayFolders m_stayFolders;  // the folders a list run deleted entries from, to refill
    CDeviceNotes m_deviceNotes;  // the volumes the current run shreds on
};

}  // namespace quorrel

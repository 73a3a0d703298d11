// The engine's entry points: one file, one folder tree, one list entry.
#include "engine/runs/WipeEngine.h"

#include <algorithm>

#include "engine/log/LogLines.h"
#include "engine/names/NameRefill.h"
#include "engine/walk/FilesInFlight.h"

namespace quorrel {

CWipeEngine::CWipeEngine(IFileSystem& fileSystem, IRunHost& host)
    : m_fs(fileSystem), m_host(host), m_log(host) {}

EWipeOutcome CWipeEngine::WipeFile(const std::string& path, EWipeMode mode) {
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> folder = m_fs.OpenParentOf(path, name, error);
    CDirEntry entry;
    if (folder && folder->Lookup(name, entry, error)) {
        return WipeFileEntry(*folder, entry, path, mode);
    }
    if (IsDotName(name)) {
        Fail(lines::DotName(path));
    } else if (mode == EWipeMode::Normal) {
        error.m_strFileName = kUnnamedFile;  // the status step names no file
        Fail(Quote(lines::kSetAttributeFailed, path, error));
    } else {
        error.m_strFileName = path;
        Fail(Quote(lines::kOpenFailed, path, error));
    }
    return EWipeOutcome::Failed;
}

EWipeOutcome CWipeEngine::WipeEntry(IFolder& folder, const CDirEntry& entry,
                                    const std::string& path, EWipeMode mode) {
    if ((entry.m_attributes & kAttrDirectory) != 0) {
        const int nWarnings = m_log.WarningCount();
        return WalkOutcome(WalkFolder(folder, entry, path, mode), nWarnings);
    }
    return WipeFileEntry(folder, entry, path, mode);
}

// A walk that went through counts as removed (with the warnings its files gave); one that
// did not was stopped by the user or could not list its folder.
EWipeOutcome CWipeEngine::WalkOutcome(bool bWalked, int nWarningsBefore) const {
    if (!bWalked) {
        return m_log.WasAborted() ? EWipeOutcome::Aborted : EWipeOutcome::Failed;
    }
    return m_log.WarningCount() > nWarningsBefore ? EWipeOutcome::RemovedNotInPlace
                                                  : EWipeOutcome::Destroyed;
}

// A file entry, shredded here and now.
EWipeOutcome CWipeEngine::WipeFileEntry(IFolder& folder, const CDirEntry& entry,
                                        const std::string& path, EWipeMode mode) {
    m_deviceNotes.Note(folder, entry);
    CFileShredder shredder(m_log, m_writer, m_bVerify);
    return shredder.Shred(folder, entry, path, mode, false);
}

// A file a walk found: a walk makes a read-only file writable in either mode.
void CWipeEngine::ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                            EWipeMode mode) {
    CFileShredder shredder(m_log, m_writer, m_bVerify);
    shredder.Shred(folder, entry, path, mode, true);
}

bool CWipeEngine::WalkFolder(IFolder& parent, const CDirEntry& entry, const std::string& path,
                             EWipeMode mode) {
    m_deviceNotes.Note(parent, entry);  // a walk stays on the mount of its folder
    const int nFiles = std::min(m_nFilesInFlight, m_fs.MaxFilesInFlight());
    if (nFiles <= 1) {
        CFolderWalk walk(m_log, *this, parent, mode);
        return walk.Walk(entry, path);
    }
    CFilesInFlight inFlight(m_log, m_writer, m_bVerify, nFiles, m_bOnlyWhenFilesWait);
    CFolderWalk walk(m_log, inFlight, parent, mode);
    return walk.Walk(entry, path);
}

void CWipeEngine::WipeListItemThen(const std::string& path,
                                   std::function<void(EWipeOutcome)> then) {
    const int nFiles = std::min(m_nFilesInFlight, m_fs.MaxFilesInFlight());
    if (nFiles > 1) {
        if (!m_listInFlight) {
            m_listInFlight = std::make_unique<CFilesInFlight>(m_log, m_writer, m_bVerify, nFiles,
                                                              m_bOnlyWhenFilesWait);
        }
        std::shared_ptr<IFolder> parent;
        CDirEntry entry;
        if (FindListedFile(path, parent, entry) && !m_listInFlight->IsInFlight(entry.m_id)) {
            const std::string shown = CollapseSeparators(path);
            NoteStayFolder(parent, shown, entry.m_strName);
            m_deviceNotes.Note(*parent, entry);
            const CFileId folderId = parent->GetId();
            m_listInFlight->ShredListed(
                std::move(parent), entry, shown,
                [this, shown, then, folderId, name = entry.m_strName](EWipeOutcome outcome) {
                    if (IsRemoved(outcome)) {
                        NoteShredded(shown);
                        NoteShreddedIn(folderId, name, shown);
                    }
                    then(outcome);
                });
            return;
        }
        std::vector<CDirEntry> matches;
        if (FindMatchedFiles(path, parent, matches)) {
            WipeMatchesInFlight(parent, matches, CollapseSeparators(path), then);
            return;
        }
        // A folder, a name given twice, a pattern matching one: what it reaches may be in
        // flight.
        m_listInFlight->Drain();
    }
    then(WipeListItem(path));
}

void CWipeEngine::FinishListItems() {
    m_listInFlight.reset();  // waits for the files in flight
    if (m_host.IsAborted()) {
        m_stayFolders.Forget();  // stopped: the user is not kept waiting for the refills
    } else {
        m_stayFolders.Refill(m_log);
    }
}

// Notes that a plain list run deletes `name` from `folder`, which `shown` named it in. A
// folder more than the run holds at once makes those held be refilled first, once the files
// in flight (which may be in any of them) are done.
void CWipeEngine::NoteStayFolder(const std::shared_ptr<IFolder>& folder, const std::string& shown,
                                 const std::string& name) {
    if (m_stayFolders.IsFullFor(folder->GetId())) {
        if (m_listInFlight) {
            m_listInFlight->Drain();
        }
        m_stayFolders.Refill(m_log);
    }
    m_stayFolders.Note(folder, ParentFolder(shown), name);
}

// The plain file `path` names by its literal name, with the folder that holds it: the list
// entries that may be shredded beside others. False for anything else, which WipeListItem()
// looks at afresh.
bool CWipeEngine::FindListedFile(const std::string& path, std::shared_ptr<IFolder>& parent,
                                 CDirEntry& entry) {
    const std::string name = LastPathPart(path);
    if (IsDriveRelative(path) || EndsInSeparator(path) || IsDotName(name)) {
        return false;
    }
    CFileError error;
    parent = m_listPaths.OpenParentOf(m_fs, path, error);
    return parent && parent->Lookup(name, entry, error) && IsPlainFile(entry.m_attributes);
}

bool CWipeEngine::WipeFolder(const std::string& path, EWipeMode mode) {
    if (IsDriveRelative(path)) {
        Fail(lines::DriveRelative(path));
        return false;
    }
    if (m_fs.IsFileSystemRoot(path)) {  // "/", and any other way of naming it
        Fail(lines::RootRefused(path));
        return false;
    }
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> parent = m_fs.OpenParentOf(path, name, error);
    if (IsDotName(name)) {
        Fail(lines::DotName(path));
        return false;
    }
    CDirEntry entry;
    if (!parent || !parent->Lookup(name, entry, error)) {
        return false;  // nothing of that name: the caller says so
    }
    if ((entry.m_attributes & kAttrReparsePoint) != 0) {
        Fail(lines::FolderLink(path));
        return false;
    }
    if ((entry.m_attributes & kAttrDirectory) == 0) {
        return false;
    }
    const bool bWalked = WalkFolder(*parent, entry, path, mode);
    if (bWalked && mode == EWipeMode::Normal) {
        // The folder that held it stays: its freed entry space (FAT, NTFS) gets fillers' names.
        RefillEntrySpace(*parent, ParentFolder(path), {name}, false, m_log);
    }
    return bWalked;
}

}  // namespace quorrel

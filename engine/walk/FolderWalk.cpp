// Shredding folder trees depth first.
#include "engine/walk/FolderWalk.h"

#include <new>

#include "engine/file/NameTraces.h"
#include "engine/log/LogLines.h"
#include "engine/names/NameRefill.h"

namespace quorrel {

namespace {

// The names a folder listed.
std::vector<std::string> NamesOf(const std::vector<CDirEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const CDirEntry& entry : entries) {
        names.push_back(entry.m_strName);
    }
    return names;
}

}  // namespace

bool CFolderWalk::Walk(const CDirEntry& entry, const std::string& path) {
    CFrame top;
    if (!OpenFrame(m_topParent, entry, path, top) || RefusePseudo(*top.folder, path)) {
        return false;
    }
    m_path = path;
    m_frames.push_back(std::move(top));
    if (!Enter(m_frames.back())) {
        return false;
    }
    bool bGoing = true;
    while (bGoing && !m_frames.empty()) {
        bGoing = Step();
    }
    m_files.Drain();
    RestoreModes();  // cut short: every folder left stays
    return bGoing;
}

// Opens the folder `entry` of `parent`, called `path`, as a frame of the walk. False (with the
// line naming it: replaced, or not listable) when it cannot be opened.
bool CFolderWalk::OpenFrame(IFolder& parent, const CDirEntry& entry, const std::string& path,
                            CFrame& frame) {
    CFileError error;
    frame.folder = parent.OpenFolder(entry, error);
    if (!frame.folder) {
        m_log.Fail(error.m_eFault == EFileFault::Replaced
                       ? lines::Replaced(path)
                       : lines::Unlistable(path, error.GetErrorMessage()));
        return false;
    }
    frame.id = frame.folder->GetId();
    frame.strName = entry.m_strName;
    frame.nPathLength = path.size();
    return true;
}

// Gives every folder still on the walk's path the mode it had before the walk opened it up,
// deepest first. A folder whose handle was let go is reached again through ".." from the one
// below it (checked to be the folder that was left) before that one gets its own mode back,
// which might no longer let it be passed through; each handle goes once its folder is done,
// so no more are open than before.
void CFolderWalk::RestoreModes() {
    const auto Restore = [](CFrame& frame) {
        if (frame.bModeChanged && frame.folder) {
            frame.folder->RestoreMode(frame.nOldMode);
        }
        frame.folder.reset();
    };
    for (std::size_t i = m_frames.size(); i-- > 0;) {
        CFrame& frame = m_frames[i];
        if (i + 1 < m_frames.size()) {
            CFrame& below = m_frames[i + 1];
            if (!frame.folder && below.folder) {
                CFileError error;
                frame.folder = below.folder->OpenParent(frame.id, error);
            }
            Restore(below);
        }
    }
    if (!m_frames.empty()) {
        Restore(m_frames.front());
    }
}

namespace {

// Lists `folder` into `entries`. A listing longer than the memory this process may have is a
// failure of that folder (`bNoMemory`; the walk goes on with the rest), never the end of the
// run.
bool ListWithin(IFolder& folder, std::vector<CDirEntry>& entries, CFileError& error,
                bool& bNoMemory) {
    try {
        return folder.List(entries, error);
    } catch (const std::bad_alloc&) {
        std::vector<CDirEntry>().swap(entries);
        bNoMemory = true;
        return false;
    }
}

}  // namespace

// Opens the frame's folder up for the walk and lists it. False (with the folder's mode given
// back and a line naming it) when it cannot be listed.
bool CFolderWalk::Enter(CFrame& frame) {
    frame.bModeChanged = !m_bLookOnly && frame.folder->OpenUp(frame.nOldMode);
    CFileError error;
    const std::string path = m_path.substr(0, frame.nPathLength);
    bool bNoMemory = false;
    if (!ListWithin(*frame.folder, frame.entries, error, bNoMemory)) {
        m_log.Fail(
            lines::Unlistable(path, bNoMemory ? lines::kListingTooLong : error.GetErrorMessage()));
        if (frame.bModeChanged) {
            frame.folder->RestoreMode(frame.nOldMode);
        }
        return false;
    }
    if (m_mode == EWipeMode::Normal) {
        m_log.Add(lines::WipeingFolder(path));
    }
    return true;
}

// Takes one step of the walk: the next entry of the deepest folder, or that folder's end.
// False when the user aborted or the walk lost its way back up. Files go to the sink, which
// may still be working on them when the walk goes on to the next entry; it is drained before
// the walk enters or leaves a folder, so that a folder's files are done before its own lines
// and before any handle they use is let go.
bool CFolderWalk::Step() {
    CFrame& frame = m_frames.back();
    if (m_host.IsAborted()) {  // before each entry, and before the folder's own end
        m_log.NoteAborted();
        return false;
    }
    if (frame.nNext >= frame.entries.size()) {
        m_files.Drain();
        if (m_host.IsAborted()) {  // files still waiting for a worker were not begun
            m_log.NoteAborted();
            return false;
        }
        return Leave();
    }
    const CDirEntry entry = frame.entries[frame.nNext++];
    m_path.resize(frame.nPathLength);
    m_path = JoinPath(m_path, entry.m_strName);
    IFolder& folder = *frame.folder;
    if (IsOtherMount(folder, entry)) {
        m_files.Drain();
        m_log.Fail(lines::MountPoint(m_path));
        return true;
    }
    if ((entry.m_attributes & kAttrDirectory) == 0) {
        m_files.ShredFile(folder, entry, m_path, m_mode);
        return true;
    }
    m_files.Drain();
    CFrame child;
    if (!OpenFrame(folder, entry, m_path, child)) {
        return true;
    }
    m_frames.push_back(std::move(child));
    BoundOpenFolders();
    if (!Enter(m_frames.back())) {
        m_frames.pop_back();
    }
    return true;
}

// Lets go of the shallowest folder still held once too many are open.
void CFolderWalk::BoundOpenFolders() {
    if (m_frames.size() - m_nFirstHeld > kMaxOpenFolders) {
        m_frames[m_nFirstHeld++].folder.reset();
    }
}

// Ends the deepest folder: back in its parent (reached again through ".." when it was let
// go), normal mode removes it; a folder that stays gets its mode back. False when the parent
// could not be reached again.
bool CFolderWalk::Leave() {
    CFrame done = std::move(m_frames.back());
    m_frames.pop_back();
    const std::string path = m_path.substr(0, done.nPathLength);
    m_path.resize(done.nPathLength);
    IFolder* parent = &m_topParent;
    if (!m_frames.empty()) {
        CFrame& above = m_frames.back();
        if (!above.folder) {
            CFileError error;
            above.folder = done.folder->OpenParent(above.id, error);
            if (!above.folder) {
                m_log.Fail(lines::LostWay(m_path.substr(0, above.nPathLength)));
                return false;
            }
            m_nFirstHeld = m_frames.size() - 1;
        }
        parent = above.folder.get();
    }
    CFileError error;
    const bool bNormal = m_mode == EWipeMode::Normal && !m_bLookOnly;
    std::string name = done.strName;
    if (bNormal && !done.entries.empty()) {
        // FAT, NTFS: its freed slots, index and file records hold fillers' names only.
        RefillEntrySpace(*done.folder, path, NamesOf(done.entries), true, m_log);
        done.folder->WriteOutDeletions();  // ext4: the emptied blocks reach the disk first
    }
    if (bNormal) {
        name = RenameFolderInPlace(*parent, name);  // FAT, NTFS: its old name written over
    }
    if (bNormal && !done.bModeChanged) {
        done.folder.reset();  // some systems refuse to remove a folder that is held open
    }
    if (bNormal && parent->RemoveFolder(name, error)) {
        m_log.Add(lines::FolderRemoved(path));
        return true;
    }
    if (bNormal) {
        if (name != done.strName) {
            parent->Rename(name, done.strName, error);  // a folder that stays keeps its name
        }
        m_log.Fail(lines::FolderNotRemoved(path));
    }
    if (done.bModeChanged) {
        done.folder->RestoreMode(done.nOldMode);
    }
    return true;
}

bool CFolderWalk::RefusePseudo(IFolder& folder, const std::string& path) {
    const CVolumeFacts volume = folder.GetVolume();
    if (!volume.m_bPseudo) {
        return false;
    }
    m_log.Fail(lines::PseudoFileSystem(path, volume.m_strType));
    return true;
}

bool IsOtherMount(const IFolder& folder, const CDirEntry& entry) {
    if (folder.GetMount() != 0 && entry.m_nMount != 0) {
        return entry.m_nMount != folder.GetMount();
    }
    return (entry.m_attributes & kAttrDirectory) != 0 &&
           entry.m_id.m_nVolume != folder.GetId().m_nVolume;
}

}  // namespace quorrel

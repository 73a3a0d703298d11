// Shredding folder trees and single list entries.
//
// The walk keeps its own stack instead of recursing, so no depth of tree can exhaust the
// program's stack, and holds at most kMaxOpenFolders folders open: a deeper folder's parents
// are let go and reached again through "..", checked to be the very folder that was left.
#include "engine/FileRun.h"
#include "engine/LogLines.h"
#include "engine/NameTraces.h"
#include "engine/WipeEngine.h"

namespace quorrel {

// One folder of the walk: its handle (let go while it is far above the current folder), its
// listing and how far the walk has got through it.
struct CWipeEngine::CWalkFrame {
    std::unique_ptr<IFolder> folder;
    CFileId id;
    std::string strName;  // its name in its parent
    std::vector<CDirEntry> entries;
    std::size_t nNext = 0;
    std::size_t nPathLength = 0;  // its path is the walk path cut to this length
    bool bModeChanged = false;
    std::uint32_t nOldMode = 0;
};

// The state of one walk.
struct CWipeEngine::CWalk {
    IFolder& topParent;
    EWipeMode mode;
    std::vector<CWalkFrame> frames;
    std::string path;            // the path of the entry being shredded
    std::size_t nFirstHeld = 0;  // frames below this index have let their handle go
};

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
    return WalkFolder(*parent, entry, path, mode);
}

std::unique_ptr<IFolder> CWipeEngine::OpenFolderPath(const std::string& path, bool& bExists) {
    std::string name;
    CFileError error;
    bExists = false;
    std::unique_ptr<IFolder> parent = m_fs.OpenParentOf(path, name, error);
    CDirEntry entry;
    if (!parent || !parent->Lookup(name, entry, error)) {
        return nullptr;
    }
    bExists = true;
    return (entry.m_attributes & kAttrDirectory) != 0 ? parent->OpenFolder(entry, error) : nullptr;
}

// Walks the folder `entry` of `parent` depth first. A folder given by the user is walked even
// when it is a mount point of its own; below it the walk stays on that mount.
bool CWipeEngine::WalkFolder(IFolder& parent, const CDirEntry& entry, const std::string& path,
                             EWipeMode mode) {
    CFileError error;
    CWalk walk{parent, mode, {}, path, 0};
    CWalkFrame top;
    top.folder = parent.OpenFolder(entry, error);
    if (!top.folder) {
        Fail(error.m_eFault == EFileFault::Replaced
                 ? lines::Replaced(path)
                 : lines::Unlistable(path, error.GetErrorMessage()));
        return false;
    }
    if (RefusePseudo(*top.folder, path)) {
        return false;
    }
    top.id = top.folder->GetId();
    top.strName = entry.m_strName;
    top.nPathLength = path.size();
    walk.frames.push_back(std::move(top));
    if (!EnterFolder(walk, walk.frames.back())) {
        return false;
    }
    bool bGoing = true;
    while (bGoing && !walk.frames.empty()) {
        bGoing = StepWalk(walk);
    }
    RestoreWalkModes(walk);  // cut short: every folder left stays
    return bGoing;
}

// Gives every folder still on the walk's path the mode it had before the walk opened it up,
// deepest first. A folder whose handle was let go is reached again through ".." from the one
// below it (checked to be the folder that was left) before that one gets its own mode back,
// which might no longer let it be passed through; each handle goes once its folder is done,
// so no more are open than before.
void CWipeEngine::RestoreWalkModes(CWalk& walk) {
    const auto Restore = [](CWalkFrame& frame) {
        if (frame.bModeChanged && frame.folder) {
            frame.folder->RestoreMode(frame.nOldMode);
        }
        frame.folder.reset();
    };
    for (std::size_t i = walk.frames.size(); i-- > 0;) {
        CWalkFrame& frame = walk.frames[i];
        if (i + 1 < walk.frames.size()) {
            CWalkFrame& below = walk.frames[i + 1];
            if (!frame.folder && below.folder) {
                CFileError error;
                frame.folder = below.folder->OpenParent(frame.id, error);
            }
            Restore(below);
        }
    }
    if (!walk.frames.empty()) {
        Restore(walk.frames.front());
    }
}

// Opens the frame's folder up for the walk and lists it. False (with the folder's mode given
// back and a line naming it) when it cannot be listed.
bool CWipeEngine::EnterFolder(CWalk& walk, CWalkFrame& frame) {
    frame.bModeChanged = frame.folder->OpenUp(frame.nOldMode);
    CFileError error;
    const std::string path = walk.path.substr(0, frame.nPathLength);
    if (!frame.folder->List(frame.entries, error)) {
        Fail(lines::Unlistable(path, error.GetErrorMessage()));
        if (frame.bModeChanged) {
            frame.folder->RestoreMode(frame.nOldMode);
        }
        return false;
    }
    if (walk.mode == EWipeMode::Normal) {
        m_host.AddLine(lines::WipeingFolder(path));
    }
    return true;
}

// Takes one step of the walk: the next entry of the deepest folder, or that folder's end.
// False when the user aborted or the walk lost its way back up.
bool CWipeEngine::StepWalk(CWalk& walk) {
    CWalkFrame& frame = walk.frames.back();
    if (m_host.IsAborted()) {  // before each entry, and before the folder's own end
        m_bAborted = true;
        return false;
    }
    if (frame.nNext >= frame.entries.size()) {
        return LeaveFolder(walk);
    }
    const CDirEntry entry = frame.entries[frame.nNext++];
    walk.path.resize(frame.nPathLength);
    walk.path = JoinPath(walk.path, entry.m_strName);
    IFolder& folder = *frame.folder;
    if (IsOtherMount(folder, entry)) {
        Fail(lines::MountPoint(walk.path));
        return true;
    }
    if ((entry.m_attributes & kAttrDirectory) == 0) {
        WipeFileEntry(folder, entry, walk.path, walk.mode, true);
        return true;
    }
    CFileError error;
    CWalkFrame child;
    child.folder = folder.OpenFolder(entry, error);
    if (!child.folder) {
        Fail(error.m_eFault == EFileFault::Replaced
                 ? lines::Replaced(walk.path)
                 : lines::Unlistable(walk.path, error.GetErrorMessage()));
        return true;
    }
    child.id = child.folder->GetId();
    child.strName = entry.m_strName;
    child.nPathLength = walk.path.size();
    walk.frames.push_back(std::move(child));
    BoundOpenFolders(walk);
    if (!EnterFolder(walk, walk.frames.back())) {
        walk.frames.pop_back();
    }
    return true;
}

// Lets go of the shallowest folder still held once too many are open.
void CWipeEngine::BoundOpenFolders(CWalk& walk) {
    if (walk.frames.size() - walk.nFirstHeld > kMaxOpenFolders) {
        walk.frames[walk.nFirstHeld++].folder.reset();
    }
}

// Ends the deepest folder: back in its parent (reached again through ".." when it was let
// go), normal mode removes it; a folder that stays gets its mode back. False when the parent
// could not be reached again.
bool CWipeEngine::LeaveFolder(CWalk& walk) {
    CWalkFrame done = std::move(walk.frames.back());
    walk.frames.pop_back();
    const std::string path = walk.path.substr(0, done.nPathLength);
    walk.path.resize(done.nPathLength);
    IFolder* parent = &walk.topParent;
    if (!walk.frames.empty()) {
        CWalkFrame& above = walk.frames.back();
        if (!above.folder) {
            CFileError error;
            above.folder = done.folder->OpenParent(above.id, error);
            if (!above.folder) {
                Fail(lines::LostWay(walk.path.substr(0, above.nPathLength)));
                return false;
            }
            walk.nFirstHeld = walk.frames.size() - 1;
        }
        parent = above.folder.get();
    }
    CFileError error;
    const bool bNormal = walk.mode == EWipeMode::Normal;
    std::string name = done.strName;
    if (bNormal && !done.entries.empty()) {
        done.folder->WriteOutDeletions();  // ext4: the emptied blocks reach the disk first
    }
    if (bNormal) {
        name = RenameFolderInPlace(*parent, name);  // FAT: its name's slots written over
    }
    if (bNormal && !done.bModeChanged) {
        done.folder.reset();  // some systems refuse to remove a folder that is held open
    }
    if (bNormal && parent->RemoveFolder(name, error)) {
        m_host.AddLine(lines::FolderRemoved(path));
        return true;
    }
    if (bNormal) {
        if (name != done.strName) {
            parent->Rename(name, done.strName, error);  // a folder that stays keeps its name
        }
        Fail(lines::FolderNotRemoved(path));
    }
    if (done.bModeChanged) {
        done.folder->RestoreMode(done.nOldMode);
    }
    return true;
}

// True when `entry` belongs to another mount than `folder`: another file system, or a bind
// mount of the same one.
bool CWipeEngine::IsOtherMount(const IFolder& folder, const CDirEntry& entry) const {
    if (folder.GetMount() != 0 && entry.m_nMount != 0) {
        return entry.m_nMount != folder.GetMount();
    }
    return (entry.m_attributes & kAttrDirectory) != 0 &&
           entry.m_id.m_nVolume != folder.GetId().m_nVolume;
}

}  // namespace quorrel

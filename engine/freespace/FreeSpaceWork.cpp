// The work folder of a WIPE Free Space run: leftovers, making, removal.
#include "engine/freespace/FreeSpaceWork.h"

#include <cctype>

#include "engine/freespace/FreeSpaceFacts.h"
#include "engine/log/LogLines.h"

namespace quorrel {

const char* const kFreeSpaceWorkFolder = ".quorrel-free-space";

namespace {

// The permission bits of the work folder: its owner's alone.
constexpr std::uint32_t kWorkFolderMode = 0700;

}  // namespace

bool IsFillName(const std::string& name) {
    if (name.size() < 11 ||
        (name.compare(0, 5, "fill-") != 0 && name.compare(0, 5, "tail-") != 0)) {
        return false;
    }
    for (std::size_t i = 5; i < name.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    return true;
}

// Clears the way for the work folder `name` in `parent`: a work folder an earlier run of this
// user's left there (a crash or a power cut) is removed. Only a real folder of the run's own
// making is touched: this user's, owner-only, holding nothing but fill files; anything else of
// that name is named once and left alone. True when the name is free now.
bool CFreeSpaceWork::RemoveLeftover(IFolder& parent, const std::string& parentPath,
                                    const std::string& name) {
    CDirEntry entry;
    CFileError error;
    if (!parent.Lookup(name, entry, error)) {
        return true;  // none there
    }
    const std::string path = JoinPath(parentPath, name);
    const std::int64_t nUser = CurrentUserNumber();
    std::unique_ptr<IFolder> left;
    std::vector<CDirEntry> entries;
    if ((entry.m_attributes & kAttrDirectory) == 0 ||
        (entry.m_mode != 0 && (entry.m_mode & 0777) != kWorkFolderMode) ||
        (nUser >= 0 && entry.m_nOwner >= 0 && entry.m_nOwner != nUser) ||
        !(left = parent.OpenFolder(entry, error)) || !left->List(entries, error)) {
        NameForeign(lines::NotOurWorkFolder(path));
        return false;
    }
    for (const CDirEntry& item : entries) {
        if (!IsFillName(item.m_strName) || !IsPlainFile(item.m_attributes) || item.m_nLinks > 1) {
            NameForeign(lines::ForeignInWorkFolder(path, item.m_strName));
            return false;
        }
    }
    for (const CDirEntry& item : entries) {
        if (!left->DeleteListed(item, item.m_strName, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, JoinPath(path, item.m_strName), error));
            m_bLeftoverStays = true;
            return false;
        }
    }
    left.reset();  // some systems refuse to remove a folder that is held open
    if (!parent.RemoveFolder(name, error)) {
        m_engine.Fail(lines::FolderNotRemoved(path));
        m_bLeftoverStays = true;
        return false;
    }
    m_host.AddLine(lines::LeftoverRemoved(path));
    return true;
}

// Says once that an entry in the work folder's way was left alone: the run goes on beside it.
void CFreeSpaceWork::NameForeign(const std::string& line) {
    if (m_foreignNamed.insert(line).second) {
        m_host.AddLine(line);
    }
}

// Makes the work folder in `parent`: the usual name, or where that is not free (and `bOthers`
// allows), the usual name with "-2", "-3", ... A foreign entry in the way sets `bForeign`.
bool CFreeSpaceWork::MakeIn(IFolder& parent, const std::string& parentPath, bool bOthers,
                            CFileError& error, bool& bForeign) {
    for (int nName = 1; nName <= (bOthers ? kWorkNames : 1); ++nName) {
        const std::string name = nName == 1 ? std::string(kFreeSpaceWorkFolder)
                                            : kFreeSpaceWorkFolder + ("-" + std::to_string(nName));
        if (!RemoveLeftover(parent, parentPath, name)) {
            bForeign = true;
            continue;
        }
        m_work = parent.CreateNewFolder(name, kWorkFolderMode, error);
        if (m_work) {
            m_pParent = &parent;
            m_strWorkName = name;
            m_strWorkPath = JoinPath(parentPath, name);
            return true;
        }
        if (error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    m_strWorkPath = JoinPath(parentPath, kFreeSpaceWorkFolder);
    return false;
}

// Makes the work folder at the top of the file system, or in the chosen folder where the top
// may not be written (a user's home on the system's disk) or holds another user's folder of
// that name: nobody else's leftover keeps a run from going on. A leftover of this user's in the
// chosen folder is removed as well.
bool CFreeSpaceWork::Make(IFolder& chosen, const std::string& chosenPath, IFolder& top,
                          const std::string& topPath) {
    const bool bSame = chosen.GetId() == top.GetId();
    if (!bSame) {
        RemoveLeftover(chosen, chosenPath, kFreeSpaceWorkFolder);
    }
    CFileError error;
    bool bForeign = false;
    if (!MakeIn(top, topPath, bSame, error, bForeign) && !bSame &&
        (bForeign || error.m_nCause == kCauseAccessDenied)) {
        MakeIn(chosen, chosenPath, true, error, bForeign);
    }
    if (!m_work) {
        m_engine.Fail(Quote(lines::kCreateFolderFailed, m_strWorkPath, error));
        return false;
    }
    // The work folder's first block may be one a deleted file left, and the fill can never
    // reach it while the folder stands. A journaled file system writes that block in place
    // only when its journal is written out, which the folder's removal at the end cancels: so
    // it is written out now.
    m_work->SettleInPlace();
    return true;
}

bool CFreeSpaceWork::RemoveFiles() {
    bool bOk = true;
    for (const std::string& name : m_created) {
        CFileError error;
        if (!m_work->Delete(name, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, PathOf(name), error));
            bOk = false;
        }
    }
    return RemoveMaybeMade() && bOk;
}

bool CFreeSpaceWork::RemoveFolder(bool bFilesGone) {
    m_work.reset();  // some systems refuse to remove a folder that is held open
    CFileError error;
    if (!bFilesGone || !m_pParent->RemoveFolder(m_strWorkName, error)) {
        m_engine.Fail(lines::FolderNotRemoved(m_strWorkPath));
        return false;
    }
    m_host.AddLine(lines::FolderRemoved(m_strWorkPath));
    return true;
}

// A create that failed may have made its entry all the same (a FUSE driver that makes the
// name and then fails to open it). Such an entry can only be the run's own: the name was free
// when it was asked for (else the create says the name is taken) in a folder only the run's
// user may enter. It is removed when it is there as a plain file. False when one stays.
bool CFreeSpaceWork::RemoveMaybeMade() {
    bool bOk = true;
    for (const std::string& name : m_maybeMade) {
        CDirEntry entry;
        CFileError error;
        if (m_work->Lookup(name, entry, error) && IsPlainFile(entry.m_attributes) &&
            !m_work->Delete(name, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, PathOf(name), error));
            bOk = false;
        }
    }
    return bOk;
}

}  // namespace quorrel

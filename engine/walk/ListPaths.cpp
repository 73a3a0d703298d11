#include "engine/walk/ListPaths.h"

namespace quorrel {

namespace {

// True when a part of the folder path `folder` is a link (or a junction) now.
bool LeadsThroughLink(IFileSystem& fs, const std::string& folder) {
    for (std::string part = folder;; part = ParentFolder(part)) {
        CFileStatus status;
        CFileError error;
        if (fs.GetStatus(part, status, error) && (status.m_attributes & kAttrReparsePoint) != 0) {
            return true;
        }
        if (ParentFolder(part) == part || part == ".") {
            return false;
        }
    }
}

}  // namespace

std::shared_ptr<IFolder> CListPaths::OpenParentOf(IFileSystem& fs, const std::string& path,
                                                  CFileError& error) {
    const std::string folder = ParentFolder(path);
    const std::string name = LastPathPart(path);
    // A path without a last part of its own is refused by the open, as always.
    if (m_folder && folder == m_strFolder && !name.empty() && !IsDotName(name) &&
        fs.LeadsToFolder(folder, *m_folder)) {
        return m_folder;
    }
    m_folder.reset();
    m_strFolder.clear();
    std::string ignored;
    std::shared_ptr<IFolder> opened = fs.OpenParentOf(path, ignored, error);
    if (!opened) {
        return nullptr;
    }
    // A folder put in the place of the first one is reached as the path leads now; a link put
    // there would lead the run out of what it was given.
    const CResolved now{opened->GetId(), opened->GetMount(), false};
    const auto found = m_resolved.find(folder);
    if (found == m_resolved.end()) {
        m_resolved.emplace(folder, CResolved{now.id, now.nMount, LeadsThroughLink(fs, folder)});
    } else if (found->second.id != now.id || found->second.nMount != now.nMount) {
        if (!found->second.bThroughLink && LeadsThroughLink(fs, folder)) {
            error.m_nCause = kCauseReplaced;
            error.m_eFault = EFileFault::Replaced;
            return nullptr;
        }
        found->second.id = now.id;
        found->second.nMount = now.nMount;
    }
    m_folder = std::move(opened);
    m_strFolder = folder;
    return m_folder;
}

std::string CListPaths::FullPath(const std::string& path) {
    if (PathRootLength(path) > 0) {
        return quorrel::FullPath(path);
    }
    if (m_strCurrent.empty()) {
        m_strCurrent = CurrentDirectory();
    }
    return quorrel::FullPath(JoinPath(m_strCurrent, path));
}

void CListPaths::Forget() {
    m_folder.reset();
    m_strFolder.clear();
    m_strCurrent.clear();
    m_resolved.clear();
}

}  // namespace quorrel

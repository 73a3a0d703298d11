#include "engine/ListPaths.h"

namespace quorrel {

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
    std::string ignored;
    m_folder = fs.OpenParentOf(path, ignored, error);
    m_strFolder = m_folder ? folder : std::string();
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
}

}  // namespace quorrel

// Shredding folder trees and single list entries.
#include "WipeEngine.h"

namespace quorrel {

bool CWipeEngine::WipeFolder(const std::string& path, bool bRecycleBin) {
    if (m_fs.IsFileSystemRoot(path)) {  // "/", and any other way of naming it
        Fail("* The root folder " + path + " is never shredded");
        return false;
    }
    std::vector<CDirEntry> entries;
    if (!m_fs.ListFolder(path, entries)) {
        return false;
    }
    if (!bRecycleBin) {
        // Here a folder's write bit guards its entries, so the read-only bit has to go before
        // the walk, not only before the folder itself is removed.
        ClearReadOnly(path);
        m_host.AddLine("Wipeing folder " + path);
    }
    WalkEntries(path, entries, bRecycleBin);
    if (m_host.IsAborted()) {
        return false;
    }
    if (!bRecycleBin) {
        RemoveFolder(path);
    }
    return true;
}

// Shreds the entries of one listing in order, depth first; stops when the user aborts.
void CWipeEngine::WalkEntries(const std::string& path, const std::vector<CDirEntry>& entries,
                              bool bRecycleBin) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && m_host.IsAborted()) {
            return;
        }
        const CDirEntry& entry = entries[i];
        if (entry.m_strName == "." || entry.m_strName == "..") {
            continue;
        }
        const std::string entryPath = JoinPath(path, entry.m_strName);
        if ((entry.m_attributes & kAttrReadOnly) != 0) {
            m_fs.SetAttributes(entryPath, entry.m_attributes & ~kAttrReadOnly);
        }
        if ((entry.m_attributes & kAttrDirectory) != 0) {
            WipeFolder(entryPath, bRecycleBin);
        } else {
            WipeFile(entryPath, bRecycleBin);
        }
    }
}

// Removes an emptied folder and says whether that worked. Its read-only bit went before the
// walk (WipeFolder), which is the only place a folder's attributes are changed.
void CWipeEngine::RemoveFolder(const std::string& path) {
    if (m_fs.RemoveFolder(path)) {
        m_host.AddLine("Folder " + path + " is removed");
    } else {
        Fail("* Error removing folder " + path);
    }
}

// Clears the read-only bit of `path`, keeping its other attributes; failures are left to the
// operation that follows to report.
void CWipeEngine::ClearReadOnly(const std::string& path) {
    CFileStatus status;
    CFileError ignored;
    if (m_fs.GetStatus(path, status, ignored) && (status.m_attributes & kAttrReadOnly) != 0) {
        m_fs.SetAttributes(path, status.m_attributes & ~kAttrReadOnly);
    }
}

bool CWipeEngine::WipeListItem(const std::string& path) {
    CDirEntry entry;
    if (!m_fs.FindEntry(path, entry)) {
        if (m_fs.IsFileSystemRoot(path)) {
            Fail("* The root folder " + path + " is never shredded");
            return false;
        }
        ++m_nFailures;
        m_host.AddLine(path + " is not a file system objekt");
        return false;
    }
    if ((entry.m_attributes & kAttrDirectory) != 0) {
        return WipeFolder(path, (entry.m_attributes & kAttrSystem) != 0);
    }
    return WipeFile(path, false);
}

}  // namespace quorrel

#include "tests/unit/TrashSupport.h"

#include <dirent.h>
#include <sys/stat.h>

#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

// Every regular file under `folder`, with its content.
void CollectFiles(const std::string& folder, std::map<std::string, std::string>& files) {
    for (const std::string& name : ListNames(folder)) {
        const std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            CollectFiles(path, files);
        } else if (S_ISREG(st.st_mode)) {
            files[path] = ReadFile(path);
        }
    }
}

}  // namespace

void PutInTrash(const std::string& trash, const std::string& name, const std::string& content) {
    for (const char* part : {"", "/files", "/info"}) {
        ::mkdir((trash + part).c_str(), 0700);
    }
    WriteFile(trash + "/files/" + name, content);
    WriteFile(trash + "/info/" + name + ".trashinfo",
              "[Trash Info]\nPath=/home/user/" + name + "\nDeletionDate=2024-01-01T10:00:00\n");
}

CMountEntry LocalMount(const std::string& mountPoint) {
    CMountEntry mount;
    mount.m_strSource = "/dev/loop7";
    mount.m_strMountPoint = mountPoint;
    mount.m_strType = "ext4";
    mount.m_strOptions = "rw,relatime";
    return mount;
}

bool CWatchedBins::BinFolder(const CBinLocation& bin, std::string& folder) {
    const bool bOk = m_bins.BinFolder(bin, folder);
    m_folders[bin.m_strRoot] = folder;
    return bOk;
}

bool CWatchedBins::Empty(const CBinLocation& bin) {
    const std::string folder = m_folders[bin.m_strRoot];
    if (!folder.empty() && folder.find('\\') == std::string::npos) {
        CollectFiles(folder, m_contentAtEmptying);
    }
    m_emptied.push_back(bin.m_strRoot);
    switch (m_emptying) {
        case EEmptying::Fails:
            return false;
        case EEmptying::Lies:
            return true;
        case EEmptying::FailsLate:
            m_bins.Empty(bin);
            return false;
        case EEmptying::Real:
            break;
    }
    return m_bins.Empty(bin);
}

bool IsZeros(const std::string& content, std::size_t nLength) {
    return content.size() == nLength && content.find_first_not_of('\0') == std::string::npos;
}

}  // namespace quorrel::test

#include "tests/unit/TestSupport.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quorrel::test {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

int MakeWritable(const char* path, const struct stat* st, int type, struct FTW*) {
    if (type != FTW_SL) {
        ::chmod(path, (st->st_mode & 07777) | S_IRWXU);
    }
    return 0;
}

}  // namespace

CTempDir::CTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/quorrel-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_strPath = pattern;
}

CTempDir::~CTempDir() {
    ::nftw(m_strPath.c_str(), MakeWritable, 64, FTW_PHYS);
    ::nftw(m_strPath.c_str(), RemoveEntry, 64, FTW_DEPTH | FTW_PHYS);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) {
        throw std::runtime_error("cannot create " + path);
    }
}

void SetMode(const std::string& path, unsigned mode) {
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) {
        throw std::runtime_error("cannot chmod " + path);
    }
}

void CRecordingHost::AddLine(const std::string& line) {
    m_lines.push_back(line);
}

bool CRecordingHost::IsAborted() {
    ++m_nChecks;
    if ((m_nAbortAtCheck > 0 && m_nChecks >= m_nAbortAtCheck) || (m_abortRule && m_abortRule())) {
        m_bAborted = true;
    }
    return m_bAborted;
}

void CRecordingHost::SetProgressRange(std::int64_t nUpper) {
    m_events.push_back("range " + std::to_string(nUpper));
}

void CRecordingHost::SetProgressPos(std::int64_t nPos) {
    m_nPosition = nPos;
    m_events.push_back("pos " + std::to_string(nPos));
}

void CRecordingHost::StepProgress(std::int64_t nBytes) {
    m_nPosition += nBytes;
}

void CRecordingHost::OnPassStart(const std::string&, int nPass, int nPasses) {
    m_events.push_back("pass " + std::to_string(nPass) + "/" + std::to_string(nPasses));
}

void CRecordingHost::BeginRun() {
    m_bAborted = false;
    m_events.push_back("begin");
}

void CRecordingHost::EndRun() {
    m_events.push_back("end");
}

void CRecordingHost::KeepAlive() {
    m_events.push_back("alive");
}

}  // namespace quorrel::test

namespace quorrel::test {

std::unique_ptr<IFolder> CPathOps::Parent(const std::string& path, std::string& name,
                                          CFileError& error) {
    return m_fs.OpenParentOf(path, name, error);
}

bool CPathOps::Lookup(const std::string& path, CDirEntry& entry, CFileError& error) {
    std::string name;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    return folder && folder->Lookup(name, entry, error);
}

bool CPathOps::SetReadOnlyAndCheckSharing(const std::string& path, const CFileStatus& status,
                                          CFileError& error) {
    std::string name;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    CDirEntry entry;
    return folder && folder->Lookup(name, entry, error) &&
           folder->SetReadOnlyAndCheckSharing(entry, status.m_attributes, error);
}

bool CPathOps::SetAttributes(const std::string& path, std::uint32_t attributes) {
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    CDirEntry entry;
    return folder && folder->Lookup(name, entry, error) && folder->SetAttributes(entry, attributes);
}

std::unique_ptr<IFileHandle> CPathOps::OpenForWrite(const std::string& path, CFileError& error) {
    std::string name;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    CDirEntry entry;
    if (!folder || !folder->Lookup(name, entry, error)) {
        error.m_strFileName = path;
        return nullptr;
    }
    return folder->OpenForWrite(entry, path, error);
}

bool CPathOps::Rename(const std::string& from, const std::string& to, CFileError& error) {
    std::string name;
    std::unique_ptr<IFolder> folder = Parent(from, name, error);
    return folder && folder->Rename(name, LastPathPart(to), error);
}

bool CPathOps::Delete(const std::string& path, CFileError& error) {
    std::string name;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    return folder && folder->Delete(name, error);
}

bool CPathOps::RemoveFolder(const std::string& path) {
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> folder = Parent(path, name, error);
    return folder && folder->RemoveFolder(name, error);
}

bool CPathOps::ListFolder(const std::string& path, std::vector<CDirEntry>& entries) {
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> parent = Parent(path, name, error);
    CDirEntry entry;
    if (!parent || !parent->Lookup(name, entry, error)) {
        return false;
    }
    std::unique_ptr<IFolder> folder = parent->OpenFolder(entry, error);
    return folder && folder->List(entries, error);
}

}  // namespace quorrel::test

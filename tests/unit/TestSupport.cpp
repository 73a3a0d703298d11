#include "tests/unit/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace quorrel::test {

namespace fs = std::filesystem;

namespace {

// Where the temporary folders go: $QUORREL_TEST_TMP when set (the Windows tests keep it short,
// as the expected lines assume a short path), else the system's temporary folder.
fs::path TempBase() {
    const char* base = std::getenv("QUORREL_TEST_TMP");
    if (base == nullptr || *base == '\0') {
        return fs::temp_directory_path();
    }
    std::error_code error;
    fs::create_directories(fs::u8path(base), error);
    return fs::u8path(base);
}

}  // namespace

CTempDir::CTempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int nTry = 0; nTry < 100; ++nTry) {
        const fs::path folder =
            TempBase() / fs::path("quorrel-test-" + std::to_string(random() % 1000000));
        std::error_code error;
        if (fs::create_directory(folder, error)) {
            m_strPath = folder.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

CTempDir::~CTempDir() {
    std::error_code error;
    // Read-only entries and locked-down folders are opened up first, links left as they are.
    for (fs::recursive_directory_iterator it(m_strPath, error), end; !error && it != end;
         it.increment(error)) {
        if (!fs::is_symlink(it->symlink_status(error))) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(m_strPath, error);
}

std::string CTempDir::operator/(const std::string& name) const {
    return quorrel::test::operator/(m_strPath, name);
}

std::string operator/(const std::string& folder, const std::string& relative) {
    std::string path = JoinPath(folder, relative);
    for (std::size_t i = folder.size(); i < path.size(); ++i) {
        if (IsPathSeparator(path[i])) {
            path[i] = PreferredSeparator();
        }
    }
    return path;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string ReadOpen(IFileHandle& file) {
    std::int64_t nLength = 0;
    CFileError error;
    if (!file.GetLength(nLength, error) || nLength == 0) {
        return std::string();
    }
    std::string content(static_cast<std::size_t>(nLength), '\0');
    return file.ReadBack(0, content.data(), content.size(), error) ? content : std::string();
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(fs::u8path(path), error).type() != fs::file_type::not_found && !error;
}

std::vector<std::string> ListNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(fs::u8path(folder), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MakeFolder(const std::string& path) {
    std::error_code error;
    if (!fs::create_directory(fs::u8path(path), error)) {
        throw std::runtime_error("cannot create " + path);
    }
}

unsigned ModeOf(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(fs::u8path(path), error);
    return error ? 0xFFFFFFFFu : static_cast<unsigned>(status.permissions() & fs::perms::mask);
}

void SetMode(const std::string& path, unsigned mode) {
    std::error_code error;
    fs::permissions(fs::u8path(path), static_cast<fs::perms>(mode), error);
    if (error) {
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

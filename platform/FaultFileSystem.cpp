#include "FaultFileSystem.h"

namespace quorrel {

namespace {

// An open file whose operations may fail on the fault file system's word.
class CFaultFile final : public IFileHandle {
public:
    CFaultFile(CFaultFileSystem& owner, std::unique_ptr<IFileHandle> real, std::string fullPath)
        : m_owner(owner), m_real(std::move(real)), m_strFullPath(std::move(fullPath)) {}

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        return !m_owner.Fires(EFileOp::Length, kUnnamedFile, error) &&
               m_real->GetLength(nLength, error);
    }
    bool SeekToBegin(CFileError& error) override {
        return !m_owner.Fires(EFileOp::Seek, kUnnamedFile, error) && m_real->SeekToBegin(error);
    }
    bool Write(const void* pData, std::size_t nBytes, CFileError& error) override {
        if (m_owner.Fires(EFileOp::Write, m_strFullPath, error)) {
            return false;
        }
        std::size_t nStored = 0;
        if (m_owner.DiskFullFires(nStored)) {
            nStored = nStored < nBytes ? nStored : nBytes;
            if (nStored > 0 && !m_real->Write(pData, nStored, error)) {
                return false;
            }
            error = CFileError{kCauseDiskFull, m_strFullPath, 0};
            return false;
        }
        return m_real->Write(pData, nBytes, error);
    }
    bool Flush(CFileError& error) override {
        return !m_owner.Fires(EFileOp::Flush, m_strFullPath, error) && m_real->Flush(error);
    }
    bool Truncate(std::int64_t nLength, CFileError& error) override {
        return !m_owner.Fires(EFileOp::Truncate, kUnnamedFile, error) &&
               m_real->Truncate(nLength, error);
    }
    bool Close(CFileError& error) override {
        if (m_owner.Fires(EFileOp::Close, kUnnamedFile, error)) {
            CFileError ignored;
            m_real->Close(ignored);  // the handle is gone either way, as after a failed close
            return false;
        }
        return m_real->Close(error);
    }

private:
    CFaultFileSystem& m_owner;
    std::unique_ptr<IFileHandle> m_real;
    std::string m_strFullPath;
};

}  // namespace

void CFaultFileSystem::FailOn(EFileOp op, int nCause, int nCall) {
    m_faults[op] = CFault{nCause, m_calls[op] + nCall};
}

void CFaultFileSystem::FillDiskOn(int nCall, std::size_t nBytesStored) {
    m_nDiskFullCall = m_calls[EFileOp::Write] + nCall;
    m_nDiskFullBytes = nBytesStored;
}

void CFaultFileSystem::AddAttributes(const std::string& path, std::uint32_t attributes) {
    m_extraAttributes[path] |= attributes;
}

int CFaultFileSystem::CallCount(EFileOp op) const {
    const auto found = m_calls.find(op);
    return found == m_calls.end() ? 0 : found->second;
}

bool CFaultFileSystem::Fires(EFileOp op, const std::string& name, CFileError& error) {
    const int nCall = ++m_calls[op];
    const auto found = m_faults.find(op);
    if (found == m_faults.end() || found->second.nCall != nCall) {
        return false;
    }
    error = CFileError{found->second.nCause, name, 0};
    m_faults.erase(found);
    return true;
}

bool CFaultFileSystem::DiskFullFires(std::size_t& nBytesStored) {
    if (m_nDiskFullCall == 0 || m_calls[EFileOp::Write] != m_nDiskFullCall) {
        return false;
    }
    m_nDiskFullCall = 0;
    nBytesStored = m_nDiskFullBytes;
    return true;
}

bool CFaultFileSystem::GetStatus(const std::string& path, CFileStatus& status,
                                 CFileError& error) {
    if (Fires(EFileOp::GetStatus, kUnnamedFile, error) || !m_real.GetStatus(path, status, error)) {
        return false;
    }
    const auto extra = m_extraAttributes.find(path);
    if (extra != m_extraAttributes.end()) {
        status.m_attributes |= extra->second;
    }
    return true;
}

bool CFaultFileSystem::SetStatus(const std::string& path, const CFileStatus& status,
                                 CFileError& error) {
    return !Fires(EFileOp::SetStatus, kUnnamedFile, error) &&
           m_real.SetStatus(path, status, error);
}

bool CFaultFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    return m_real.SetAttributes(path, attributes);
}

std::unique_ptr<IFileHandle> CFaultFileSystem::OpenForWrite(const std::string& path,
                                                            CFileError& error) {
    if (Fires(EFileOp::Open, path, error)) {
        return nullptr;
    }
    std::unique_ptr<IFileHandle> real = m_real.OpenForWrite(path, error);
    if (!real) {
        return nullptr;
    }
    return std::make_unique<CFaultFile>(*this, std::move(real), FullPath(path));
}

bool CFaultFileSystem::Rename(const std::string& from, const std::string& to,
                              CFileError& error) {
    return !Fires(EFileOp::Rename, kUnnamedFile, error) && m_real.Rename(from, to, error);
}

bool CFaultFileSystem::Delete(const std::string& path, CFileError& error) {
    return !Fires(EFileOp::Delete, kUnnamedFile, error) && m_real.Delete(path, error);
}

bool CFaultFileSystem::RemoveFolder(const std::string& path) {
    CFileError ignored;
    return !Fires(EFileOp::RemoveFolder, kUnnamedFile, ignored) && m_real.RemoveFolder(path);
}

bool CFaultFileSystem::ListFolder(const std::string& folder, std::vector<CDirEntry>& entries) {
    CFileError ignored;
    if (Fires(EFileOp::List, kUnnamedFile, ignored) || !m_real.ListFolder(folder, entries)) {
        return false;
    }
    for (CDirEntry& entry : entries) {
        const auto extra = m_extraAttributes.find(JoinPath(folder, entry.m_strName));
        if (extra != m_extraAttributes.end()) {
            entry.m_attributes |= extra->second;
        }
    }
    return true;
}

bool CFaultFileSystem::FindEntry(const std::string& path, CDirEntry& entry) {
    if (!m_real.FindEntry(path, entry)) {
        return false;
    }
    const auto extra = m_extraAttributes.find(path);
    if (extra != m_extraAttributes.end()) {
        entry.m_attributes |= extra->second;
    }
    return true;
}

bool CFaultFileSystem::IsFileSystemRoot(const std::string& path) {
    return m_real.IsFileSystemRoot(path);
}

}  // namespace quorrel

#include "RecordingFileSystem.h"

namespace quorrel::test {

namespace {

// Passes calls on to the real file (if any) and records them.
class CRecordingFile final : public IFileHandle {
public:
    CRecordingFile(CRecordingFileSystem& owner, std::unique_ptr<IFileHandle> real,
                   std::int64_t nPretendLength)
        : m_owner(owner), m_real(std::move(real)), m_nPretendLength(nPretendLength) {}

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        if (!m_real) {
            nLength = m_nPretendLength;
            return true;
        }
        return m_real->GetLength(nLength, error);
    }
    bool SeekToBegin(CFileError& error) override {
        m_owner.m_events.push_back("seek");
        m_owner.m_passes.emplace_back();
        m_owner.m_passBytes.push_back(0);
        return !m_real || m_real->SeekToBegin(error);
    }
    bool Write(const void* pData, std::size_t nBytes, CFileError& error) override {
        if (m_owner.m_events.empty() || m_owner.m_events.back() != "write") {
            m_owner.m_events.push_back("write");
        }
        if (!m_owner.m_passBytes.empty()) {
            m_owner.m_passBytes.back() += static_cast<std::int64_t>(nBytes);
        }
        if (!m_real) {
            return true;
        }
        if (!m_owner.m_passes.empty()) {
            m_owner.m_passes.back().append(static_cast<const char*>(pData), nBytes);
        }
        return m_real->Write(pData, nBytes, error);
    }
    bool Flush(CFileError& error) override {
        m_owner.m_events.push_back("flush");
        return !m_real || m_real->Flush(error);
    }
    bool Truncate(std::int64_t nLength, CFileError& error) override {
        m_owner.m_events.push_back("truncate");
        return !m_real || m_real->Truncate(nLength, error);
    }
    bool Close(CFileError& error) override {
        m_owner.m_events.push_back("close");
        return !m_real || m_real->Close(error);
    }

private:
    CRecordingFileSystem& m_owner;
    std::unique_ptr<IFileHandle> m_real;
    std::int64_t m_nPretendLength;
};

}  // namespace

std::unique_ptr<IFileHandle> CRecordingFileSystem::OpenForWrite(const std::string& path,
                                                                CFileError& error) {
    m_events.push_back("open");
    std::unique_ptr<IFileHandle> real;
    if (m_nPretendLength < 0) {
        real = m_real.OpenForWrite(path, error);
        if (!real) {
            return nullptr;
        }
    }
    return std::make_unique<CRecordingFile>(*this, std::move(real), m_nPretendLength);
}

}  // namespace quorrel::test

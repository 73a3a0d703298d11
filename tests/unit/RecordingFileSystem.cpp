#include "tests/unit/RecordingFileSystem.h"

namespace quorrel::test {

namespace {

// Passes calls on to the real file (if any) and records them.
class CRecordingFile final : public IFileHandle {
public:
    CRecordingFile(CRecordingFileSystem& owner, std::unique_ptr<IFileHandle> real)
        : m_owner(owner), m_real(std::move(real)) {}

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        if (!m_real) {
            nLength = m_owner.PretendedLength();
            return true;
        }
        return m_real->GetLength(nLength, error);
    }
    bool SeekTo(std::int64_t nOffset, CFileError& error) override {
        m_owner.m_events.push_back("seek");
        if (m_bPassEnded) {  // the first seek after a pass's flush starts the next one
            m_owner.m_passes.emplace_back();
            m_owner.m_passBytes.push_back(0);
            m_bPassEnded = false;
        }
        return !m_real || m_real->SeekTo(nOffset, error);
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
    bool StartFlush(CFileError& error) override {
        m_owner.m_events.push_back("flush");
        return !m_real || m_real->StartFlush(error);
    }
    bool Flush(CFileError& error) override {
        m_owner.m_events.push_back("flush");
        m_bPassEnded = true;
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
    bool GetFacts(CFileFacts& facts, CFileError& error) override {
        if (!m_real) {
            facts.m_size = m_owner.PretendedLength();
            return true;
        }
        return m_real->GetFacts(facts, error);
    }
    bool GetDataRanges(std::int64_t nLength, std::vector<CDataRange>& ranges,
                       CFileError& error) override {
        if (!m_real) {
            ranges.assign(1, CDataRange{0, nLength});
            return true;
        }
        return m_real->GetDataRanges(nLength, ranges, error);
    }
    CVolumeFacts GetVolume() override { return m_real ? m_real->GetVolume() : CVolumeFacts{}; }
    bool HasSharedData() override { return m_real && m_real->HasSharedData(); }
    bool ReadBack(std::int64_t nOffset, void* pData, std::size_t nBytes,
                  CFileError& error) override {
        return m_real && m_real->ReadBack(nOffset, pData, nBytes, error);
    }

private:
    CRecordingFileSystem& m_owner;
    std::unique_ptr<IFileHandle> m_real;
    bool m_bPassEnded = true;
};

// Records renames and deletions; pretends entries exist when the owner pretends a length.
class CRecordingFolder final : public IFolder {
public:
    CRecordingFolder(CRecordingFileSystem& owner, std::unique_ptr<IFolder> real)
        : m_owner(owner), m_real(std::move(real)) {}

    CFileId GetId() const override { return m_real->GetId(); }
    std::uint64_t GetMount() const override { return m_real->GetMount(); }
    CVolumeFacts GetVolume() override { return m_real->GetVolume(); }
    bool List(std::vector<CDirEntry>& entries, CFileError& error) override {
        return m_real->List(entries, error);
    }
    bool Lookup(const std::string& name, CDirEntry& entry, CFileError& error) override {
        if (Pretending()) {
            entry = CDirEntry{};
            entry.m_strName = name;
            return true;
        }
        return m_real->Lookup(name, entry, error);
    }
    std::unique_ptr<IFolder> OpenFolder(const CDirEntry& listed, CFileError& error) override {
        std::unique_ptr<IFolder> real = m_real->OpenFolder(listed, error);
        return real ? std::make_unique<CRecordingFolder>(m_owner, std::move(real)) : nullptr;
    }
    std::unique_ptr<IFolder> OpenParent(const CFileId& expected, CFileError& error) override {
        std::unique_ptr<IFolder> real = m_real->OpenParent(expected, error);
        return real ? std::make_unique<CRecordingFolder>(m_owner, std::move(real)) : nullptr;
    }
    bool SetReadOnlyAndCheckSharing(const CDirEntry& listed, std::uint32_t attributes,
                                    CFileError& error) override {
        return Pretending() || m_real->SetReadOnlyAndCheckSharing(listed, attributes, error);
    }
    bool SetAttributes(const CDirEntry& listed, std::uint32_t attributes) override {
        return m_real->SetAttributes(listed, attributes);
    }
    bool OpenUp(std::uint32_t& nPrevious) override { return m_real->OpenUp(nPrevious); }
    bool RestoreMode(std::uint32_t nMode) override { return m_real->RestoreMode(nMode); }
    std::unique_ptr<IFileHandle> OpenForWrite(const CDirEntry& listed,
                                              const std::string& displayPath,
                                              CFileError& error) override {
        m_owner.m_events.push_back("open");
        std::unique_ptr<IFileHandle> real;
        if (!Pretending()) {
            real = m_real->OpenForWrite(listed, displayPath, error);
            if (!real) {
                return nullptr;
            }
        }
        return std::make_unique<CRecordingFile>(m_owner, std::move(real));
    }
    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        m_owner.m_events.push_back("rename");
        return Pretending() || m_real->Rename(from, to, error);
    }
    bool Delete(const std::string& name, CFileError& error) override {
        m_owner.m_events.push_back("delete");
        return Pretending() || m_real->Delete(name, error);
    }
    bool RemoveFolder(const std::string& name, CFileError& error) override {
        return m_real->RemoveFolder(name, error);
    }

    bool GetSpace(CVolumeSpace& space, CFileError& error) override {
        return m_real->GetSpace(space, error);
    }
    std::unique_ptr<IFolder> CreateNewFolder(const std::string& name, std::uint32_t nMode,
                                             CFileError& error) override {
        std::unique_ptr<IFolder> real = m_real->CreateNewFolder(name, nMode, error);
        return real ? std::make_unique<CRecordingFolder>(m_owner, std::move(real)) : nullptr;
    }
    std::unique_ptr<IFileHandle> CreateNewFile(const std::string& name,
                                               const std::string& displayPath,
                                               CFileError& error) override {
        m_owner.m_events.push_back("create");
        std::unique_ptr<IFileHandle> real = m_real->CreateNewFile(name, displayPath, error);
        return real ? std::make_unique<CRecordingFile>(m_owner, std::move(real)) : nullptr;
    }
    std::unique_ptr<IFolder> OpenVolumeTop(std::string& topPath, CFileError& error) override {
        std::unique_ptr<IFolder> real = m_real->OpenVolumeTop(topPath, error);
        return real ? std::make_unique<CRecordingFolder>(m_owner, std::move(real)) : nullptr;
    }

private:
    bool Pretending() const { return m_owner.PretendedLength() >= 0; }

    CRecordingFileSystem& m_owner;
    std::unique_ptr<IFolder> m_real;
};

}  // namespace

std::unique_ptr<IFolder> CRecordingFileSystem::OpenParentOf(const std::string& path,
                                                            std::string& name, CFileError& error) {
    std::unique_ptr<IFolder> real = m_real.OpenParentOf(path, name, error);
    return real ? std::make_unique<CRecordingFolder>(*this, std::move(real)) : nullptr;
}

std::unique_ptr<IFolder> CRecordingFileSystem::OpenFolder(const std::string& path,
                                                          CFileError& error) {
    std::unique_ptr<IFolder> real = m_real.OpenFolder(path, error);
    return real ? std::make_unique<CRecordingFolder>(*this, std::move(real)) : nullptr;
}

}  // namespace quorrel::test

#include "tests/unit/FakeFileSystem.h"

namespace quorrel::test {

namespace {

bool IsLayerCopy(EKeptCopy kept) {
    return kept == EKeptCopy::LowerLayer || kept == EKeptCopy::AlsoLowerLayer ||
           kept == EKeptCopy::MaybeLowerLayer;
}

// An open file whose calls are recorded and may fail on the fake's word. With no real file
// (the fake pretends the entry) it stores nothing and reports the pretended length.
class CFakeFile final : public IFileHandle {
public:
    CFakeFile(CFakeFileSystem& owner, std::unique_ptr<IFileHandle> real, std::string fullPath)
        : m_owner(owner), m_real(std::move(real)), m_strFullPath(std::move(fullPath)) {}

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        if (m_owner.Fires(EFileOp::Length, kUnnamedFile, error)) {
            return false;
        }
        if (!m_real) {
            nLength = m_owner.PretendedLength();
            return true;
        }
        return m_real->GetLength(nLength, error);
    }
    bool SeekTo(std::int64_t nOffset, CFileError& error) override {
        m_owner.Record("seek");
        if (m_bPassEnded) {  // the first seek after a pass's flush starts the next one
            m_owner.StartPass();
            m_bPassEnded = false;
        }
        return !m_owner.Fires(EFileOp::Seek, kUnnamedFile, error) &&
               (!m_real || m_real->SeekTo(nOffset, error));
    }
    bool Write(const void* pData, std::size_t nBytes, CFileError& error) override {
        m_owner.RecordWrite(m_real ? pData : nullptr, nBytes);
        if (m_owner.Fires(EFileOp::Write, m_strFullPath, error)) {
            return false;
        }
        if (!m_real) {
            return true;
        }
        std::size_t nStored = 0;
        int nOsError = 0;
        if (m_owner.DiskFullFires(nStored, nOsError)) {
            nStored = nStored < nBytes ? nStored : nBytes;
            if (nStored > 0 && !m_real->Write(pData, nStored, error)) {
                return false;
            }
            // A driver may answer a full disk oddly (fusefat: EPERM).
            error = CFileError{nOsError == 0 ? kCauseDiskFull : CauseFromSystemError(nOsError),
                               m_strFullPath, nOsError};
            return false;
        }
        if (m_owner.LieFires()) {
            std::string other(static_cast<const char*>(pData), nBytes);
            for (char& c : other) {
                c = static_cast<char>(~c);
            }
            return m_real->Write(other.data(), nBytes, error);
        }
        return m_real->Write(pData, nBytes, error);
    }
    bool StartFlush(CFileError& error) override {
        m_owner.Record("flush");
        return !m_owner.Fires(EFileOp::Flush, m_strFullPath, error) &&
               (!m_real || m_real->StartFlush(error));
    }
    bool Flush(CFileError& error) override {
        m_owner.NotifyFlush(m_strFullPath);
        m_owner.Record("flush");
        m_bPassEnded = true;
        return !m_owner.Fires(EFileOp::Flush, m_strFullPath, error) &&
               (!m_real || m_real->Flush(error));
    }
    bool Truncate(std::int64_t nLength, CFileError& error) override {
        m_owner.Record("truncate");
        return !m_owner.Fires(EFileOp::Truncate, kUnnamedFile, error) &&
               (!m_real || m_real->Truncate(nLength, error));
    }
    bool Close(CFileError& error) override {
        m_owner.Record("close");
        if (m_owner.Fires(EFileOp::Close, kUnnamedFile, error)) {
            CFileError ignored;
            if (m_real) {
                m_real->Close(ignored);  // the handle is gone either way, as after a failed close
            }
            return false;
        }
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
    CVolumeFacts GetVolume() override {
        return m_owner.VolumeOver(m_real ? m_real->GetVolume() : CVolumeFacts{});
    }
    bool HasSharedData() override {
        return m_owner.SharedData() || (m_real && m_real->HasSharedData());
    }
    bool ReadBack(std::int64_t nOffset, void* pData, std::size_t nBytes,
                  CFileError& error) override {
        return !m_owner.Fires(EFileOp::ReadBack, m_strFullPath, error) && m_real &&
               m_real->ReadBack(nOffset, pData, nBytes, error);
    }
    bool ReadsBackFromMedium() const override {
        return !m_owner.CachedReadBack() && (!m_real || m_real->ReadsBackFromMedium());
    }
    EKeptCopy GetKeptCopy() override {
        const EKeptCopy kept = m_owner.KeptCopy();
        if (kept == EKeptCopy::Journal || kept == EKeptCopy::InlineData) {
            return kept;
        }
        return m_real ? m_real->GetKeptCopy() : EKeptCopy::None;
    }

private:
    CFakeFileSystem& m_owner;
    std::unique_ptr<IFileHandle> m_real;
    std::string m_strFullPath;
    bool m_bPassEnded = true;
};

// An open folder whose calls may fail on the fake's word; it records opens, creates, renames
// and deletions, and pretends its entries exist when the fake pretends a length.
class CFakeFolder final : public IFolder {
public:
    CFakeFolder(CFakeFileSystem& owner, std::unique_ptr<IFolder> real, std::string path)
        : m_owner(owner), m_real(std::move(real)), m_strPath(std::move(path)) {}

    CFileId GetId() const override { return m_real->GetId(); }
    std::uint64_t GetMount() const override { return m_real->GetMount(); }
    CVolumeFacts GetVolume() override { return m_owner.VolumeOver(m_real->GetVolume()); }
    EKeptCopy GetLayerCopy(const CDirEntry& listed) override {
        const EKeptCopy kept = m_owner.KeptCopy();
        if (IsLayerCopy(kept)) {
            return kept;
        }
        return Pretending() ? EKeptCopy::None : m_real->GetLayerCopy(listed);
    }
    bool List(std::vector<CDirEntry>& entries, CFileError& error) override {
        if (m_owner.Fires(EFileOp::List, kUnnamedFile, error) || !m_real->List(entries, error)) {
            return false;
        }
        for (CDirEntry& entry : entries) {
            entry.m_attributes |= m_owner.ExtraAttributes(PathOf(entry.m_strName));
        }
        return true;
    }
    bool Lookup(const std::string& name, CDirEntry& entry, CFileError& error) override {
        if (Pretending()) {
            entry = CDirEntry{};
            entry.m_strName = name;
            return true;
        }
        if (!m_real->Lookup(name, entry, error)) {
            return false;
        }
        entry.m_attributes |= m_owner.ExtraAttributes(PathOf(name));
        return true;
    }
    std::unique_ptr<IFolder> OpenFolder(const CDirEntry& listed, CFileError& error) override {
        m_owner.NotifyOpen(PathOf(listed.m_strName));
        return Wrap(m_real->OpenFolder(listed, error), PathOf(listed.m_strName));
    }
    std::unique_ptr<IFolder> OpenParent(const CFileId& expected, CFileError& error) override {
        return Wrap(m_real->OpenParent(expected, error), ParentFolder(m_strPath));
    }
    bool SetReadOnlyAndCheckSharing(const CDirEntry& listed, std::uint32_t attributes,
                                    CFileError& error) override {
        m_owner.NotifyOpen(PathOf(listed.m_strName));
        return !m_owner.Fires(EFileOp::GetStatus, kUnnamedFile, error) &&
               !m_owner.Fires(EFileOp::SetStatus, kUnnamedFile, error) &&
               (Pretending() || m_real->SetReadOnlyAndCheckSharing(listed, attributes, error));
    }
    bool SetAttributes(const CDirEntry& listed, std::uint32_t attributes) override {
        return m_real->SetAttributes(listed, attributes);
    }
    bool OpenUp(std::uint32_t& nPrevious) override { return m_real->OpenUp(nPrevious); }
    bool RestoreMode(std::uint32_t nMode) override { return m_real->RestoreMode(nMode); }
    std::unique_ptr<IFileHandle> OpenForWrite(const CDirEntry& listed,
                                              const std::string& displayPath,
                                              CFileError& error) override {
        m_owner.Record("open");
        m_owner.NotifyOpen(PathOf(listed.m_strName));
        if (m_owner.Fires(EFileOp::Open, displayPath, error)) {
            return nullptr;
        }
        std::unique_ptr<IFileHandle> real;
        if (!Pretending()) {
            real = m_real->OpenForWrite(listed, displayPath, error);
            if (!real) {
                return nullptr;
            }
        }
        return std::make_unique<CFakeFile>(m_owner, std::move(real), FullPath(displayPath));
    }
    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        return MayChangeName("rename", from, EFileOp::Rename, error) &&
               (Pretending() || m_real->Rename(from, to, error));
    }
    bool Delete(const std::string& name, CFileError& error) override {
        return MayChangeName("delete", name, EFileOp::Delete, error) &&
               (Pretending() || m_real->Delete(name, error));
    }
    bool RenameListed(const CDirEntry& listed, const std::string& to, CFileError& error) override {
        return MayChangeName("rename", listed.m_strName, EFileOp::Rename, error) &&
               (Pretending() || m_real->RenameListed(listed, to, error));
    }
    bool DeleteListed(const CDirEntry& listed, const std::string& name,
                      CFileError& error) override {
        return MayChangeName("delete", name, EFileOp::Delete, error) &&
               (Pretending() || m_real->DeleteListed(listed, name, error));
    }
    CVolumeFacts GetEntryVolume(const CDirEntry& listed) override {
        return m_owner.VolumeOver(m_real->GetEntryVolume(listed));
    }
    bool RemoveFolder(const std::string& name, CFileError& error) override {
        return !m_owner.Fires(EFileOp::RemoveFolder, kUnnamedFile, error) &&
               m_real->RemoveFolder(name, error);
    }

    bool GetSpace(CVolumeSpace& space, CFileError& error) override {
        return m_owner.SpaceFires(space) || m_real->GetSpace(space, error);
    }
    std::unique_ptr<IFolder> CreateNewFolder(const std::string& name, std::uint32_t nMode,
                                             CFileError& error) override {
        return Wrap(m_real->CreateNewFolder(name, nMode, error), PathOf(name));
    }
    std::unique_ptr<IFileHandle> CreateNewFile(const std::string& name,
                                               const std::string& displayPath,
                                               CFileError& error) override {
        m_owner.Record("create");
        if (m_owner.Fires(EFileOp::Create, displayPath, error)) {
            if (m_owner.CreateLeavesEntry()) {
                CFileError ignored;
                m_real->CreateNewFile(name, displayPath, ignored);
            }
            return nullptr;
        }
        std::unique_ptr<IFileHandle> real = m_real->CreateNewFile(name, displayPath, error);
        if (!real) {
            return nullptr;
        }
        return std::make_unique<CFakeFile>(m_owner, std::move(real), FullPath(displayPath));
    }
    bool FlushEntries(CFileError& error) override {
        m_owner.NoteEntriesFlushed();
        return m_real->FlushEntries(error);
    }
    bool WriteOutDeletions() override { return m_real->WriteOutDeletions(); }
    bool SettleInPlace() override {
        m_owner.Record("settle");
        return m_real->SettleInPlace();
    }
    bool GetFolderSize(CFolderSize& size) override { return m_real->GetFolderSize(size); }
    CJournalFacts GetJournal() override { return m_owner.Journal(); }
    bool GetDevice(const CDirEntry& listed, CVolumeDevice& device) override {
        (void)listed;
        m_owner.NoteDeviceAsked();
        if (m_owner.Device()) {
            device = *m_owner.Device();
        }
        return m_owner.Device().has_value();
    }
    CTrimResult TrimFreeSpace(std::int64_t nStart, std::int64_t nLength) override {
        m_owner.m_trims.emplace_back(nStart, nLength);
        return m_owner.Trim();
    }
    bool GetJournalHead(std::int64_t& nBytes) override {
        nBytes = m_owner.JournalHead();
        return m_owner.Journal().m_bHasHead;
    }
    std::unique_ptr<IFolder> OpenVolumeTop(std::string& topPath, CFileError& error) override {
        if (!m_owner.VolumeTop().empty()) {
            topPath = m_owner.VolumeTop();
            return m_owner.OpenFolder(topPath, error);
        }
        return Wrap(m_real->OpenVolumeTop(topPath, error), topPath);
    }

private:
    bool Pretending() const { return m_owner.PretendsEntries(); }
    std::string PathOf(const std::string& name) const { return JoinPath(m_strPath, name); }

    // Records a rename or delete of `name` and lets the test's hook and an armed fault act
    // before it reaches the disk; false (with `error` filled) when the fault fires.
    bool MayChangeName(const char* event, const std::string& name, EFileOp op, CFileError& error) {
        m_owner.Record(event);
        m_owner.NotifyNameChange(PathOf(name));
        return !m_owner.Fires(op, kUnnamedFile, error);
    }

    std::unique_ptr<IFolder> Wrap(std::unique_ptr<IFolder> real, std::string path) {
        if (!real) {
            return nullptr;
        }
        return std::make_unique<CFakeFolder>(m_owner, std::move(real), std::move(path));
    }

    CFakeFileSystem& m_owner;
    std::unique_ptr<IFolder> m_real;
    std::string m_strPath;
};

}  // namespace

void CFakeFileSystem::FailOn(EFileOp op, int nCause, int nCall) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_faults[op] = CFault{nCause, m_calls[op] + nCall};
}

void CFakeFileSystem::FillDiskOn(int nCall, std::size_t nBytesStored, int nOsError) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_nDiskFullCall = m_calls[EFileOp::Write] + nCall;
    m_nDiskFullBytes = nBytesStored;
    m_nDiskFullErrno = nOsError;
}

void CFakeFileSystem::StayFullFrom(int nCall, int nOsError) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_nFullFromCall = m_calls[EFileOp::Write] + nCall;
    m_nDiskFullErrno = nOsError;
}

bool CFakeFileSystem::SpaceFires(CVolumeSpace& space) {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_spaces.empty()) {
        return false;
    }
    space = m_spaces.front();
    if (m_spaces.size() > 1) {
        m_spaces.erase(m_spaces.begin());
    }
    return true;
}

void CFakeFileSystem::LieOnWrite(int nCall) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_nLieCall = m_calls[EFileOp::Write] + nCall;
}

void CFakeFileSystem::AddAttributes(const std::string& path, std::uint32_t attributes) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_extraAttributes[path] |= attributes;
}

int CFakeFileSystem::CallCount(EFileOp op) const {
    const std::lock_guard<std::mutex> guard(m_lock);
    const auto found = m_calls.find(op);
    return found == m_calls.end() ? 0 : found->second;
}

bool CFakeFileSystem::Fires(EFileOp op, const std::string& name, CFileError& error) {
    const std::lock_guard<std::mutex> guard(m_lock);
    const int nCall = ++m_calls[op];
    const auto found = m_faults.find(op);
    if (found == m_faults.end() || found->second.nCall != nCall) {
        return false;
    }
    error = CFileError{found->second.nCause, name, 0};
    m_faults.erase(found);
    return true;
}

bool CFakeFileSystem::DiskFullFires(std::size_t& nBytesStored, int& nOsError) {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_nFullFromCall != 0 && m_calls[EFileOp::Write] >= m_nFullFromCall) {
        nBytesStored = 0;
        nOsError = m_nDiskFullErrno;
        return true;
    }
    if (m_nDiskFullCall == 0 || m_calls[EFileOp::Write] != m_nDiskFullCall) {
        return false;
    }
    m_nDiskFullCall = 0;
    nBytesStored = m_nDiskFullBytes;
    nOsError = m_nDiskFullErrno;
    return true;
}

bool CFakeFileSystem::LieFires() {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_nLieCall == 0 || m_calls[EFileOp::Write] != m_nLieCall) {
        return false;
    }
    m_nLieCall = 0;
    return true;
}

CVolumeFacts CFakeFileSystem::VolumeOver(CVolumeFacts real) const {
    CVolumeFacts volume = m_volume ? *m_volume : std::move(real);
    volume.m_bCanShareData = volume.m_bCanShareData || m_bSharedData;
    return volume;
}

std::uint32_t CFakeFileSystem::ExtraAttributes(const std::string& path) const {
    const std::lock_guard<std::mutex> guard(m_lock);
    const auto extra = m_extraAttributes.find(path);
    return extra == m_extraAttributes.end() ? 0 : extra->second;
}

void CFakeFileSystem::NotifyOpen(const std::string& path) const {
    if (m_beforeOpen) {
        m_beforeOpen(path);
    }
}

void CFakeFileSystem::NotifyNameChange(const std::string& path) const {
    if (m_beforeNameChange) {
        m_beforeNameChange(path);
    }
}

void CFakeFileSystem::NotifyFlush(const std::string& path) const {
    if (m_beforeFlush) {
        m_beforeFlush(path);
    }
}

void CFakeFileSystem::Record(const char* event) {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_events.emplace_back(event);
}

void CFakeFileSystem::RecordWrite(const void* pData, std::size_t nBytes) {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_events.empty() || m_events.back() != "write") {
        m_events.emplace_back("write");
    }
    if (!m_passBytes.empty()) {
        m_passBytes.back() += static_cast<std::int64_t>(nBytes);
    }
    if (pData != nullptr && m_bKeepPassBytes && !m_passes.empty()) {
        m_passes.back().append(static_cast<const char*>(pData), nBytes);
    }
}

void CFakeFileSystem::StartPass() {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_passes.emplace_back();
    m_passBytes.push_back(0);
}

std::unique_ptr<IFolder> CFakeFileSystem::OpenParentOf(const std::string& path, std::string& name,
                                                       CFileError& error) {
    std::unique_ptr<IFolder> real = m_real.OpenParentOf(path, name, error);
    if (!real) {
        return nullptr;
    }
    return std::make_unique<CFakeFolder>(*this, std::move(real), ParentFolder(path));
}

bool CFakeFileSystem::GetStatus(const std::string& path, CFileStatus& status, CFileError& error) {
    if (Fires(EFileOp::GetStatus, kUnnamedFile, error) || !m_real.GetStatus(path, status, error)) {
        return false;
    }
    status.m_attributes |= ExtraAttributes(path);
    return true;
}

bool CFakeFileSystem::FindEntry(const std::string& path, CDirEntry& entry) {
    if (!m_real.FindEntry(path, entry)) {
        return false;
    }
    entry.m_attributes |= ExtraAttributes(path);
    return true;
}

bool CFakeFileSystem::IsFileSystemRoot(const std::string& path) {
    return m_real.IsFileSystemRoot(path);
}

std::unique_ptr<IFolder> CFakeFileSystem::OpenFolder(const std::string& path, CFileError& error) {
    std::unique_ptr<IFolder> real = m_real.OpenFolder(path, error);
    if (!real) {
        return nullptr;
    }
    return std::make_unique<CFakeFolder>(*this, std::move(real), path);
}

}  // namespace quorrel::test

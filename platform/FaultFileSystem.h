// A file system for tests: the real one underneath, with failures injected on request.
#pragma once

#include <map>
#include <string>

#include "FileSystem.h"

namespace quorrel {

// The operations a fault can be placed on.
enum class EFileOp {
    GetStatus,
    SetStatus,
    Open,
    Length,
    Seek,
    Write,
    Flush,
    Truncate,
    Close,
    Rename,
    Delete,
    RemoveFolder,
    List,
};

// Passes every call to the real file system unless a fault was armed for it. A fault fails
// the Nth call of its operation (counted over all files) with a cause and is then spent; the
// failure names the file the way the real layer would for that operation.
class CFaultFileSystem final : public IFileSystem {
public:
    explicit CFaultFileSystem(IFileSystem& real = SystemFileSystem()) : m_real(real) {}

    // Arms a failure of the `nCall`-th call (1-based, counted from now) of `op`.
    void FailOn(EFileOp op, int nCause, int nCall = 1);
    // A write that fills the disk: the `nCall`-th write stores only `nBytesStored` bytes of
    // its data, then fails with cause 13.
    void FillDiskOn(int nCall, std::size_t nBytesStored);
    // Adds attribute bits the real system cannot show (the system attribute) to `path`.
    void AddAttributes(const std::string& path, std::uint32_t attributes);
    // How many calls of `op` were made so far.
    int CallCount(EFileOp op) const;

    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override;
    bool SetStatus(const std::string& path, const CFileStatus& status,
                   CFileError& error) override;
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
    std::unique_ptr<IFileHandle> OpenForWrite(const std::string& path,
                                              CFileError& error) override;
    bool Rename(const std::string& from, const std::string& to, CFileError& error) override;
    bool Delete(const std::string& path, CFileError& error) override;
    bool RemoveFolder(const std::string& path) override;
    bool ListFolder(const std::string& folder, std::vector<CDirEntry>& entries) override;
    bool FindEntry(const std::string& path, CDirEntry& entry) override;
    bool IsFileSystemRoot(const std::string& path) override;

    // Counts a call of `op`; true (with `error` filled) when an armed fault fires on it.
    bool Fires(EFileOp op, const std::string& name, CFileError& error);
    // The bytes the next write may store before failing, when a disk-full fault fires on it.
    bool DiskFullFires(std::size_t& nBytesStored);

private:
    struct CFault {
        int nCause = 0;
        int nCall = 0;  // fires when the call count reaches this number
    };

    IFileSystem& m_real;
    std::map<EFileOp, CFault> m_faults;
    std::map<EFileOp, int> m_calls;
    std::map<std::string, std::uint32_t> m_extraAttributes;
    int m_nDiskFullCall = 0;
    std::size_t m_nDiskFullBytes = 0;
};

}  // namespace quorrel

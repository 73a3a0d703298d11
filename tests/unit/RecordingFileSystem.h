// A file system for the engine's tests that records what reaches each open file: the order of
// seeks, writes, flushes, truncation and close, and the bytes of every pass.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel::test {

class CRecordingFileSystem final : public IFileSystem {
public:
    explicit CRecordingFileSystem(IFileSystem& real = SystemFileSystem()) : m_real(real) {}

    // Every entry looked up is a file of `nLength` bytes that stores nothing (for lengths no
    // test disk should hold). Only the byte counts of its passes are kept.
    void PretendLength(std::int64_t nLength) { m_nPretendLength = nLength; }
    std::int64_t PretendedLength() const { return m_nPretendLength; }

    std::vector<std::string> m_events;      // "seek", "write", "flush", "truncate", ...
    std::vector<std::string> m_passes;      // the bytes written after each seek back
    std::vector<std::int64_t> m_passBytes;  // how many bytes each pass wrote

    std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                          CFileError& error) override;
    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        return m_real.GetStatus(path, status, error);
    }
    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        return m_real.FindEntry(path, entry);
    }
    bool IsFileSystemRoot(const std::string& path) override {
        return m_real.IsFileSystemRoot(path);
    }
    std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) override;

private:
    IFileSystem& m_real;
    std::int64_t m_nPretendLength = -1;
};

}  // namespace quorrel::test

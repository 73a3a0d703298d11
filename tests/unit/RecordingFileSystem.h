// A file system for the engine's tests that records what reaches each open file: the order of
// seeks, writes, flushes, truncation and close, and the bytes of every pass.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace quorrel::test {

class CRecordingFileSystem final : public IFileSystem {
public:
    explicit CRecordingFileSystem(IFileSystem& real = SystemFileSystem()) : m_real(real) {}

    // Opens report a file of `nLength` bytes that stores nothing (for lengths no test disk
    // should hold). Only the byte counts of its passes are kept.
    void PretendLength(std::int64_t nLength) { m_nPretendLength = nLength; }

    std::vector<std::string> m_events;       // "seek", "write", "flush", "truncate", ...
    std::vector<std::string> m_passes;       // the bytes written after each seek to 0
    std::vector<std::int64_t> m_passBytes;   // how many bytes each pass wrote

    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        if (m_nPretendLength >= 0) {
            status = CFileStatus{};
            return true;
        }
        return m_real.GetStatus(path, status, error);
    }
    bool SetStatus(const std::string& path, const CFileStatus& status,
                   CFileError& error) override {
        return m_nPretendLength >= 0 || m_real.SetStatus(path, status, error);
    }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return m_real.SetAttributes(path, attributes);
    }
    std::unique_ptr<IFileHandle> OpenForWrite(const std::string& path,
                                              CFileError& error) override;
    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        m_events.push_back("rename");
        return m_nPretendLength >= 0 || m_real.Rename(from, to, error);
    }
    bool Delete(const std::string& path, CFileError& error) override {
        m_events.push_back("delete");
        return m_nPretendLength >= 0 || m_real.Delete(path, error);
    }
    bool RemoveFolder(const std::string& path) override { return m_real.RemoveFolder(path); }
    bool ListFolder(const std::string& folder, std::vector<CDirEntry>& entries) override {
        return m_real.ListFolder(folder, entries);
    }
    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        return m_real.FindEntry(path, entry);
    }
    bool IsFileSystemRoot(const std::string& path) override {
        return m_real.IsFileSystemRoot(path);
    }

private:
    IFileSystem& m_real;
    std::int64_t m_nPretendLength = -1;
};

}  // namespace quorrel::test

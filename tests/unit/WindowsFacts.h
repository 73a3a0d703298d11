// Fake Windows facts for the recycle-bin rules: drives with their types and volume names, a
// token with its SID, and a shell that records what it is asked.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/WindowsRecycleBin.h"

namespace quorrel::test {

class CFakeDrives final : public IWindowsDriveFacts {
public:
    // Adds drive `letter` of `nType` with the volume name `fs` ("" when it cannot be read).
    void Add(char letter, unsigned nType, const std::string& fs) {
        m_nMask |= std::uint32_t{1} << (letter - 'A');
        m_types[std::string(1, letter) + ":\\"] = nType;
        m_names[std::string(1, letter) + ":\\"] = fs;
    }
    std::uint32_t GetLogicalDrives() override { return m_nMask; }
    unsigned GetDriveType(const std::string& root) override { return m_types[root]; }
    bool GetFileSystemName(const std::string& root, std::string& name) override {
        name = m_names[root];
        return !name.empty();
    }
    bool IsFolder(const std::string& path) override { return m_isFolder && m_isFolder(path); }

    std::function<bool(const std::string&)> m_isFolder;  // none: no bin folder exists

private:
    std::uint32_t m_nMask = 0;
    std::map<std::string, unsigned> m_types;
    std::map<std::string, std::string> m_names;
};

class CFakeToken final : public IWindowsTokenFacts {
public:
    bool OpenProcessToken() override { return m_bOpens; }
    bool GetTokenUser(CSid& sid) override {
        sid = m_sid;
        return m_bReads;
    }
    bool m_bOpens = true;
    bool m_bReads = true;
    CSid m_sid;
};

class CFakeShell final : public IWindowsShell {
public:
    bool Load() override {
        m_calls.push_back("load");
        return m_bLoads;
    }
    bool HasEntryPoint(const char* name) override { return m_missing.empty() || m_missing != name; }
    bool EmptyRecycleBin(const std::string& root, unsigned flags) override {
        m_calls.push_back("empty " + root + " " + std::to_string(flags));
        if (m_pLog != nullptr) {
            m_linesAtEmpty.push_back(m_pLog->size());
        }
        if (m_onEmpty) {
            m_onEmpty(root);
        }
        return m_bEmpties;
    }
    void Free() override { m_calls.push_back("free"); }

    bool m_bLoads = true;
    bool m_bEmpties = true;                             // what the emptying answers
    std::function<void(const std::string&)> m_onEmpty;  // what it does to the drive's bin
    std::string m_missing;                              // the entry point it lacks
    std::vector<std::string> m_calls;
    // With a log to watch: how many lines it held at each emptying.
    const std::vector<std::string>* m_pLog = nullptr;
    std::vector<std::size_t> m_linesAtEmpty;
};

// SID S-1-5-21-1-2-3-1004.
inline CSid UserSid() {
    CSid sid;
    sid.m_authority = {0, 0, 0, 0, 0, 5};
    sid.m_subAuthorities = {21, 1, 2, 3, 1004};
    return sid;
}

}  // namespace quorrel::test

// The Windows recycle-bin rules over injected facts.
#include "platform/WindowsRecycleBin.h"

#include <cctype>
#include <cstdio>

namespace quorrel {

namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

// The identifier authority: 0x and all six bytes when either of the top two is set, else the
// low four as one decimal number.
std::string AuthorityText(const std::array<std::uint8_t, 6>& a) {
    char buffer[32];
    if (a[0] != 0 || a[1] != 0) {
        std::snprintf(buffer, sizeof buffer, "0x%02x%02x%02x%02x%02x%02x", a[0], a[1], a[2], a[3],
                      a[4], a[5]);
    } else {
        const unsigned long nValue = (static_cast<unsigned long>(a[2]) << 24) |
                                     (static_cast<unsigned long>(a[3]) << 16) |
                                     (static_cast<unsigned long>(a[4]) << 8) | a[5];
        std::snprintf(buffer, sizeof buffer, "%lu", nValue);
    }
    return buffer;
}

}  // namespace

bool ScanFixedDrives(IWindowsDriveFacts& facts, CDriveTable& table) {
    for (std::string& root : table.m_driveRoot) {
        root.clear();
    }
    const std::uint32_t nMask = facts.GetLogicalDrives();
    bool bAnyFixed = false;
    for (int i = 0; i < 26; ++i) {
        if ((nMask & (std::uint32_t{1} << i)) == 0) {
            continue;
        }
        const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
        if (facts.GetDriveType(root) != kDriveFixed) {
            continue;
        }
        table.m_driveRoot[static_cast<std::size_t>(i)] = root;
        std::string name;
        const bool bNtfs = facts.GetFileSystemName(root, name) && EqualsNoCase(name, "NTFS");
        table.m_driveIsNtfs[static_cast<std::size_t>(i)] = bNtfs ? 1 : 0;
        bAnyFixed = true;
    }
    return bAnyFixed;
}

bool FormatSidText(const CSid& sid, std::string& text, std::uint32_t& nLength,
                   std::uint32_t& nLastError) {
    if (!sid.m_bValid) {
        nLastError = kErrorInvalidSid;
        return false;
    }
    const std::uint32_t nNeeded = 28 + 12 * static_cast<std::uint32_t>(sid.m_subAuthorities.size());
    if (nNeeded > nLength) {
        nLength = nNeeded;
        nLastError = kErrorInsufficientBuffer;
        return false;
    }
    // The revision is always written as 1, whatever the SID holds.
    text = "S-1-" + AuthorityText(sid.m_authority);
    for (const std::uint32_t nSub : sid.m_subAuthorities) {
        text += "-" + std::to_string(nSub);
    }
    nLength = static_cast<std::uint32_t>(text.size());
    return true;
}

int GetUserSidText(IWindowsTokenFacts& token, std::string& sidText) {
    if (!token.OpenProcessToken()) {
        return 1;
    }
    CSid sid;
    if (!token.GetTokenUser(sid)) {
        return 2;
    }
    std::uint32_t nLength = kSidTextChars;
    std::uint32_t nLastError = 0;
    return FormatSidText(sid, sidText, nLength, nLastError) ? 0 : 3;
}

std::string WindowsBinFolder(const std::string& root, bool bNtfs, const std::string& sidText) {
    return bNtfs ? root + "Recycler\\" + sidText + "\\" : root + "RECYCLED\\";
}

std::string RecycleBinFolder(const std::string& root, const std::string& sidText) {
    return root + "$Recycle.Bin\\" + sidText + "\\";
}

std::string ChooseWindowsBinFolder(IWindowsDriveFacts& facts, const std::string& root, bool bNtfs,
                                   const std::string& sidText) {
    if (sidText.empty()) {
        return WindowsBinFolder(root, false, sidText);
    }
    const std::string newest = RecycleBinFolder(root, sidText);
    const std::string older = WindowsBinFolder(root, bNtfs, sidText);
    if (!facts.IsFolder(newest) && facts.IsFolder(older)) {
        return older;
    }
    return newest;
}

bool IsWindowsBinBookkeeping(const std::string& name) {
    const bool bIndex = name.size() > 2 && name[0] == '$' && (name[1] == 'I' || name[1] == 'i');
    return bIndex || EqualsNoCase(name, "INFO2") || EqualsNoCase(name, "desktop.ini");
}

EBinAccess CWindowsRecycleBins::Open() {
    if (!m_shell.Load()) {
        return EBinAccess::NoService;
    }
    // The query entry point is never called, but a shell without it is too old to trust.
    if (!m_shell.HasEntryPoint("SHQueryRecycleBinW") ||
        !m_shell.HasEntryPoint("SHEmptyRecycleBinW")) {
        m_shell.Free();
        return EBinAccess::NoEntryPoints;
    }
    return EBinAccess::Ready;
}

bool CWindowsRecycleBins::Scan(std::vector<CBinLocation>& bins) {
    bins.clear();
    if (!ScanFixedDrives(m_drives, m_table)) {
        return false;
    }
    for (std::size_t i = 0; i < m_table.m_driveRoot.size(); ++i) {
        if (!m_table.m_driveRoot[i].empty()) {
            CBinLocation bin;
            bin.m_strRoot = m_table.m_driveRoot[i];
            bin.m_bPerUser = m_table.m_driveIsNtfs[i] != 0;
            bins.push_back(bin);
        }
    }
    return true;
}

bool CWindowsRecycleBins::BinFolder(const CBinLocation& bin, std::string& folder) {
    // The newer layout keeps a folder per user on every drive; the old FAT one did not.
    if (GetUserSidText(m_token, m_sidText) != 0) {
        if (bin.m_bPerUser) {
            return false;
        }
        m_sidText.clear();
    }
    folder = ChooseWindowsBinFolder(m_drives, bin.m_strRoot, bin.m_bPerUser, m_sidText);
    return true;
}

}  // namespace quorrel

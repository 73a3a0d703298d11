// The Windows recycle bins fed by the real system: drives, the token's SID, the shell library.
#include <vector>

#include "platform/WindowsRecycleBin.h"
#include "platform/win32/Win32Support.h"

#undef GetDriveType  // the facts' own name, not the system's A/W pair

namespace quorrel {

namespace {

class CSystemDrives final : public IWindowsDriveFacts {
public:
    std::uint32_t GetLogicalDrives() override { return ::GetLogicalDrives(); }
    unsigned GetDriveType(const std::string& root) override {
        return ::GetDriveTypeW(win32::Widen(root).c_str());
    }
    bool GetFileSystemName(const std::string& root, std::string& name) override {
        wchar_t text[MAX_PATH + 1] = {};
        if (!::GetVolumeInformationW(win32::Widen(root).c_str(), nullptr, 0, nullptr, nullptr,
                                     nullptr, text, MAX_PATH + 1)) {
            return false;
        }
        name = win32::Narrow(std::wstring(text));
        return true;
    }
    bool IsFolder(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(win32::ExtendedPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    }
};

class CSystemToken final : public IWindowsTokenFacts {
public:
    bool OpenProcessToken() override {
        m_token.Reset(nullptr);  // asked with no token, GetTokenInformation fails
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) == 0) {
            return false;
        }
        m_token.Reset(token);
        return true;
    }
    bool GetTokenUser(CSid& sid) override {
        DWORD nBytes = 0;
        ::GetTokenInformation(m_token.Get(), TokenUser, nullptr, 0, &nBytes);
        std::vector<BYTE> buffer(nBytes);
        if (nBytes == 0 ||
            !::GetTokenInformation(m_token.Get(), TokenUser, buffer.data(), nBytes, &nBytes)) {
            return false;
        }
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        sid.m_bValid = ::IsValidSid(user) != 0;
        if (!sid.m_bValid) {
            return true;
        }
        const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(user);
        for (std::size_t i = 0; i < sid.m_authority.size(); ++i) {
            sid.m_authority[i] = authority->Value[i];
        }
        sid.m_subAuthorities.clear();
        const UCHAR nCount = *::GetSidSubAuthorityCount(user);
        for (UCHAR i = 0; i < nCount; ++i) {
            sid.m_subAuthorities.push_back(*::GetSidSubAuthority(user, i));
        }
        return true;
    }

private:
    win32::CHandle m_token{nullptr};
};

// The shell library, loaded for a run: a system without it, or without the bin's entry
// points, has no bin this program can empty.
class CSystemShell final : public IWindowsShell {
public:
    bool Load() override {
        m_library = ::LoadLibraryW(L"SHELL32.DLL");
        return m_library != nullptr;
    }
    bool HasEntryPoint(const char* name) override {
        return m_library != nullptr && ::GetProcAddress(m_library, name) != nullptr;
    }
    // The shell answers E_UNEXPECTED for a bin with nothing in it; the run looks at the bin
    // folder afterwards anyway, so that answer is not taken for a failure.
    bool EmptyRecycleBin(const std::string& root, unsigned flags) override {
        using EmptyFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, DWORD);
        const auto empty = reinterpret_cast<EmptyFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_library, "SHEmptyRecycleBinW")));
        if (empty == nullptr) {
            return false;
        }
        const HRESULT result = empty(nullptr, win32::Widen(root).c_str(), flags);
        return SUCCEEDED(result) || result == E_UNEXPECTED;
    }
    void Free() override {
        if (m_library != nullptr) {
            ::FreeLibrary(m_library);
            m_library = nullptr;
        }
    }

private:
    HMODULE m_library = nullptr;
};

}  // namespace

IRecycleBins& SystemRecycleBins() {
    static CSystemDrives drives;
    static CSystemToken token;
    static CSystemShell shell;
    static CWindowsRecycleBins bins(drives, token, shell);
    return bins;
}

}  // namespace quorrel

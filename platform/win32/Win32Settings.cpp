// Where the settings live on Windows: the registry key the window's settings object writes,
// HKEY_CURRENT_USER\SOFTWARE\Tellmoor\Quorrel\1.0.
#include <string>
#include <vector>

#include "platform/Settings.h"
#include "platform/win32/Win32Support.h"

namespace quorrel {

namespace {

// The key that holds the method's value.
std::wstring MethodKeyPath() {
    return win32::Widen(std::string("SOFTWARE\\") + kSettingsOrganization + "\\" +
                        kSettingsApplication + "\\" + kMethodGroup);
}

// A text value (what `reg add` writes without /t) holds the number as UTF-16 text, ending
// in nulls or not.
int MethodFromTextValue(const std::vector<BYTE>& data, DWORD nBytes) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), nBytes / sizeof(wchar_t));
    const std::size_t nEnd = text.find(L'\0');
    if (nEnd != std::wstring::npos) {
        text.resize(nEnd);
    }
    int nMethod = 0;
    return WipeMethodFromText(win32::Narrow(text), nMethod) ? nMethod : 0;
}

}  // namespace

std::string SettingsFilePath() {
    return std::string("HKEY_CURRENT_USER\\") + win32::Narrow(MethodKeyPath());
}

// A text value is the number it holds (any other text is no method: 0). Every other type is
// read as bytes: a 32-bit word gives its 4 bytes, and a shorter value fills the low bytes; a
// longer one counts as no method (0).
bool ReadStoredWipeMethod(int& nMethod) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, MethodKeyPath().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const std::wstring name = win32::Widen(kMethodKey);
    DWORD nBytes = 0;
    DWORD nType = REG_NONE;
    LONG nResult = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &nBytes);
    std::vector<BYTE> data(nBytes + sizeof(wchar_t));
    if (nResult == ERROR_SUCCESS) {
        nResult = ::RegQueryValueExW(key, name.c_str(), nullptr, &nType, data.data(), &nBytes);
    }
    ::RegCloseKey(key);
    if (nResult != ERROR_SUCCESS) {
        return false;
    }
    if (nType == REG_SZ || nType == REG_EXPAND_SZ) {
        nMethod = MethodFromTextValue(data, nBytes);
        return true;
    }
    const std::string bytes(reinterpret_cast<const char*>(data.data()), nBytes);
    int nRead = 0;
    nMethod = WipeMethodFromBytes(bytes, nRead) ? nRead : 0;
    return true;
}

}  // namespace quorrel

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

}  // namespace

std::string SettingsFilePath() {
    return std::string("HKEY_CURRENT_USER\\") + win32::Narrow(MethodKeyPath());
}

// The value is read as bytes, whatever its type: a 32-bit word gives its 4 bytes, and a
// shorter value fills the low bytes; a longer one counts as no method (0).
bool ReadStoredWipeMethod(int& nMethod) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, MethodKeyPath().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const std::wstring name = win32::Widen(kMethodKey);
    DWORD nBytes = 0;
    LONG nResult = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &nBytes);
    std::vector<BYTE> data(nBytes + 1);
    if (nResult == ERROR_SUCCESS) {
        nResult = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &nBytes);
    }
    ::RegCloseKey(key);
    if (nResult != ERROR_SUCCESS) {
        return false;
    }
    const std::string bytes(reinterpret_cast<const char*>(data.data()), nBytes);
    int nRead = 0;
    nMethod = WipeMethodFromBytes(bytes, nRead) ? nRead : 0;
    return true;
}

}  // namespace quorrel

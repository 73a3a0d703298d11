// Where the settings live on POSIX systems: the INI file the window's settings object writes.
#include <cstdlib>
#include <string>

#include "platform/Settings.h"

namespace quorrel {

std::string SettingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] != '\0') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : "") + "/.config";
    }
    return folder + "/" + kSettingsOrganization + "/" + kSettingsApplication + ".conf";
}

bool ReadStoredWipeMethod(int& nMethod) {
    std::string raw;
    if (!ReadIniValue(SettingsFilePath(), kMethodGroup, kMethodKey, raw)) {
        return false;
    }
    nMethod = DecodeStoredWipeMethod(raw);
    return true;
}

}  // namespace quorrel

#include "Settings.h"

#include <cstdlib>
#include <fstream>

namespace quorrel {

namespace {

// Keys are stored with characters outside [A-Za-z0-9_-.] as %XX, as the settings object does.
std::string EscapeKey(const std::string& key) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : key) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '_' || u == '-' || u == '.') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[u >> 4];
            escaped += kHex[u & 0x0F];
        }
    }
    return escaped;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string SettingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] != '\0') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : "") + "/.config";
    }
    return folder + "/Tellmoor/Quorrel.conf";
}

bool ReadIniValue(const std::string& file, const std::string& group, const std::string& key,
                  std::string& value) {
    std::ifstream in(file);
    const std::string wantedGroup = "[" + group + "]";
    const std::string wantedKey = EscapeKey(key);
    bool bInGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == '[') {
            bInGroup = line == wantedGroup;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!bInGroup || equals == std::string::npos || Trim(line.substr(0, equals)) != wantedKey) {
            continue;
        }
        value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return true;
    }
    return false;
}

}  // namespace quorrel

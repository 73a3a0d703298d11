#include "platform/Settings.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
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

namespace {

// The bytes of a "@ByteArray(...)" value, with the INI escapes \xNN, \0 and \\ undone.
bool DecodeByteArray(const std::string& body, std::string& bytes) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 >= body.size()) {
            bytes += body[i];
            continue;
        }
        const char next = body[++i];
        if (next == 'x') {
            std::size_t end = i + 1;
            while (end < body.size() && end < i + 3 &&
                   std::isxdigit(static_cast<unsigned char>(body[end]))) {
                ++end;
            }
            if (end == i + 1) {
                return false;
            }
            bytes += static_cast<char>(
                std::strtol(body.substr(i + 1, end - i - 1).c_str(), nullptr, 16));
            i = end - 1;
        } else if (next == '0') {
            bytes += '\0';
        } else {
            bytes += next;
        }
    }
    return true;
}

}  // namespace

int WipeMethodFromNumber(long long nValue) {
    return static_cast<int>(static_cast<std::uint32_t>(nValue));
}

bool WipeMethodFromText(const std::string& text, int& nMethod) {
    const std::string number = Trim(text);
    if (number.empty() || std::isspace(static_cast<unsigned char>(number[0]))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(number.c_str(), &end, 10);
    if (errno != 0 || end == number.c_str() || *end != '\0') {
        return false;
    }
    nMethod = WipeMethodFromNumber(value);
    return true;
}

bool WipeMethodFromBytes(const std::string& bytes, int& nMethod) {
    if (bytes.size() > 4) {
        return false;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    nMethod = static_cast<int>(value);
    return true;
}

int DecodeStoredWipeMethod(const std::string& raw) {
    const std::string prefix = "@ByteArray(";
    if (raw.compare(0, prefix.size(), prefix) == 0 && raw.size() > prefix.size() &&
        raw.back() == ')') {
        std::string bytes;
        int nMethod = 0;
        if (!DecodeByteArray(raw.substr(prefix.size(), raw.size() - prefix.size() - 1), bytes) ||
            !WipeMethodFromBytes(bytes, nMethod)) {
            return 0;
        }
        return nMethod;
    }
    int nMethod = 0;
    return WipeMethodFromText(raw, nMethod) ? nMethod : 0;
}

}  // namespace quorrel

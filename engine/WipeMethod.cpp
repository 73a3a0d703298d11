#include "WipeMethod.h"

#include <cerrno>
#include <cstdlib>

namespace quorrel {

const char* WipeMethodName(int nMethod) {
    switch (nMethod) {
        case 0:
            return "Simple (1 pass: writes 0x00)";
        case 1:
            return "US DoD 5220.22-M (3 passes: writes 0x00 and 0xFF)";
        case 2:
            return "US DoD 5220.22-M (7 passes: writes 0x00 and 0xFF - US govermant aprooved)";
        case 3:
            return "Strongest (30 passes: writes random data)";
        default:
            return "Unknown";
    }
}

int WipePassCount(int nMethod) {
    switch (nMethod) {
        case 0:
            return 1;
        case 1:
            return 3;
        case 2:
            return 7;
        case 3:
            return 30;
        default:
            return 10;
    }
}

std::uint8_t WipePassByte(int nMethod, int nPass) {
    if (nMethod == 0) {
        return 0x00;
    }
    if (nMethod == 1 || nMethod == 2) {
        return (nPass % 2 != 0) ? 0xFF : 0x00;
    }
    return 0x55;
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
            while (end < body.size() && end < i + 3 && std::isxdigit(static_cast<unsigned char>(body[end]))) {
                ++end;
            }
            if (end == i + 1) {
                return false;
            }
            bytes += static_cast<char>(std::strtol(body.substr(i + 1, end - i - 1).c_str(), nullptr, 16));
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
    if (raw.compare(0, prefix.size(), prefix) == 0 && raw.size() > prefix.size() && raw.back() == ')') {
        std::string bytes;
        int nMethod = 0;
        if (!DecodeByteArray(raw.substr(prefix.size(), raw.size() - prefix.size() - 1), bytes) ||
            !WipeMethodFromBytes(bytes, nMethod)) {
            return 0;
        }
        return nMethod;
    }
    if (raw.empty()) {
        return 0;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(raw.c_str(), &end, 10);
    if (errno != 0 || end == raw.c_str() || *end != '\0') {
        return 0;
    }
    return WipeMethodFromNumber(value);
}

}  // namespace quorrel

// The catalogue's texts that are formed from numbers and errors.
#include "engine/LogLines.h"

#include <cstdio>

namespace quorrel {

std::string Quote(const std::string& prefix, const std::string& path, const CFileError& error) {
    return prefix + path + ": " + error.GetErrorMessage();
}

std::string FormatBytes(std::int64_t nBytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (nBytes < 1024) {
        return std::to_string(nBytes) + (nBytes == 1 ? " byte" : " bytes");
    }
    double value = static_cast<double>(nBytes) / 1024.0;
    std::size_t nUnit = 0;
    while (value >= 1024.0 && nUnit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++nUnit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[nUnit]);
    return text;
}

}  // namespace quorrel

// Path helpers shared by every backend: pure string work, no system calls but getcwd.
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace quorrel {

namespace {

constexpr char kSeparator = '/';

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::string(1, kSeparator);
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == kSeparator;
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == kSeparator) {
        return folder + name;
    }
    return folder + kSeparator + name;
}

std::string ParentFolder(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == kSeparator) {
        --end;  // a trailing separator does not start the last part
    }
    const std::size_t cut = path.rfind(kSeparator, end - 1);
    if (cut == std::string::npos) {
        return ".";
    }
    std::size_t keep = cut;
    while (keep > 0 && path[keep - 1] == kSeparator) {
        --keep;
    }
    return keep == 0 ? std::string(1, kSeparator) : path.substr(0, keep);
}

std::string LastPathPart(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && path[end - 1] == kSeparator) {
        --end;
    }
    const std::size_t cut = path.rfind(kSeparator, end == 0 ? 0 : end - 1);
    const std::size_t start = cut == std::string::npos || end == 0 ? 0 : cut + 1;
    return path.substr(start, end - start);
}

std::string FullPath(const std::string& path) {
    const std::string absolute =
        (!path.empty() && path[0] == kSeparator) ? path : JoinPath(CurrentDirectory(), path);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size()) {
        std::size_t stop = absolute.find(kSeparator, start);
        if (stop == std::string::npos) {
            stop = absolute.size();
        }
        const std::string part = absolute.substr(start, stop - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = stop + 1;
    }
    std::string result;
    for (const std::string& part : parts) {
        result += kSeparator + part;
    }
    return result.empty() ? std::string(1, kSeparator) : result;
}

}  // namespace quorrel

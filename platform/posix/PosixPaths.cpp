// The POSIX rule for paths: one separator, '/', and the current directory from getcwd.
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Wildcards.h"

namespace quorrel {

bool IsPathSeparator(char c) {
    return c == '/';
}

char PreferredSeparator() {
    return '/';
}

std::size_t PathRootLength(const std::string& path) {
    return !path.empty() && path[0] == '/' ? 1 : 0;
}

std::int64_t CurrentUserNumber() {
    return static_cast<std::int64_t>(::geteuid());
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    // A hidden name is matched only by a pattern that starts with a dot itself, as the
    // shell does; past that, the matcher every system shares, byte for byte.
    if (!name.empty() && name[0] == '.' && (pattern.empty() || pattern[0] != '.')) {
        return false;
    }
    return MatchWildcards(pattern, name, [](char a, char b) { return a == b; });
}

bool IsDriveRelative(const std::string&) {
    return false;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::string(1, '/');
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace quorrel

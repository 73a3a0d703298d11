// The POSIX rule for paths: one separator, '/', and the current directory from getcwd.
#include <fnmatch.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileSystem.h"

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
    // No escapes: a backslash is a character of the name like any other, as on Windows.
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD | FNM_NOESCAPE) == 0;
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

// The POSIX rule for paths: one separator, '/', and the current directory from getcwd.
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

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

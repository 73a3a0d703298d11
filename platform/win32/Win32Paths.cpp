// The Windows rule for paths: '\\' and '/' both separate, a drive or a share is the root, and
// the current directory comes from the system, as UTF-8.
#include <vector>

#include "platform/Wildcards.h"
#include "platform/win32/Win32Support.h"

namespace quorrel {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the part of `path` that starts at `nStart`: the next separator, or the end.
std::size_t PartEnd(const std::string& path, std::size_t nStart) {
    while (nStart < path.size() && !IsPathSeparator(path[nStart])) {
        ++nStart;
    }
    return nStart;
}

// "\\server\share\" (or "\\?\UNC\server\share\") from `nServer`, where the server's name
// starts.
std::size_t ShareRootLength(const std::string& path, std::size_t nServer) {
    const std::size_t nShare = PartEnd(path, nServer) + 1;
    if (nShare > path.size()) {
        return path.size();
    }
    const std::size_t nEnd = PartEnd(path, nShare);
    return nEnd < path.size() ? nEnd + 1 : nEnd;
}

}  // namespace

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

char PreferredSeparator() {
    return '\\';
}

std::size_t PathRootLength(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
        return ShareRootLength(path, 8);
    }
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0) {
        return 4 + PathRootLength(path.substr(4));
    }
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        return ShareRootLength(path, 2);
    }
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsPathSeparator(path[2])) {
        return 3;
    }
    // "\x" is rooted on the current drive; "C:x" is relative to that drive's own current
    // folder, which this program never uses: it is taken as relative.
    return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

std::int64_t CurrentUserNumber() {
    return -1;  // owners are security identifiers here, not numbers
}

namespace {

// One character of a name against one of a pattern, letter case ignored the way the file
// system compares names.
bool SameLetter(wchar_t a, wchar_t b) {
    return ::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    // The system's listing has always taken "*.*" for every name, a dot in it or not.
    if (pattern == "*.*") {
        return true;
    }
    return MatchWildcards(win32::Widen(pattern), win32::Widen(name), SameLetter);
}

bool IsDriveRelative(const std::string& path) {
    return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':' &&
           (path.size() == 2 || !IsPathSeparator(path[2]));
}

std::string CurrentDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD nChars = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (nChars >= buffer.size()) {
        buffer.resize(nChars + 1);
        nChars = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (nChars == 0) {
        return "C:\\";
    }
    return win32::Narrow(buffer.data(), nChars);
}

}  // namespace quorrel

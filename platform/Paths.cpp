// Path helpers shared by every backend: string work over the separator and pattern rules of
// the system (IsPathSeparator, PreferredSeparator, MatchesPattern) that each backend supplies,
// and the look-up of a named path in the folder that holds it.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel {

namespace {

// The length of `path` without its trailing separators; a lone root separator stays.
std::size_t EndWithoutSeparators(const std::string& path, std::size_t nKeep) {
    std::size_t end = path.size();
    while (end > nKeep && IsPathSeparator(path[end - 1])) {
        --end;
    }
    return end;
}

// The position of the last separator before `end`, or npos.
std::size_t LastSeparatorBefore(const std::string& path, std::size_t end) {
    while (end > 0) {
        if (IsPathSeparator(path[--end])) {
            return end;
        }
    }
    return std::string::npos;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (IsPathSeparator(folder.back())) {
        return folder + name;
    }
    return folder + PreferredSeparator() + name;
}

std::string ParentFolder(const std::string& path) {
    const std::size_t root = PathRootLength(path);
    const std::size_t end = EndWithoutSeparators(path, std::max<std::size_t>(root, 1));
    const std::size_t cut = LastSeparatorBefore(path, end);
    if (cut == std::string::npos || cut < root) {
        return root > 0 ? path.substr(0, root) : std::string(".");
    }
    std::size_t keep = cut;
    while (keep > root && IsPathSeparator(path[keep - 1])) {
        --keep;
    }
    return keep == 0 ? std::string(1, path[0]) : path.substr(0, std::max(keep, root));
}

std::string LastPathPart(const std::string& path) {
    const std::size_t end = EndWithoutSeparators(path, 0);
    const std::size_t cut = LastSeparatorBefore(path, end);
    const std::size_t start = cut == std::string::npos ? 0 : cut + 1;
    return path.substr(start, end - start);
}

std::string FullPath(const std::string& path) {
    const std::string absolute =
        PathRootLength(path) > 0 ? path : JoinPath(CurrentDirectory(), path);
    const std::size_t root = PathRootLength(absolute);
    std::vector<std::string> parts;
    std::size_t start = root;
    while (start <= absolute.size()) {
        std::size_t stop = start;
        while (stop < absolute.size() && !IsPathSeparator(absolute[stop])) {
            ++stop;
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
    std::string result = absolute.substr(0, root);
    for (const std::string& part : parts) {
        result = JoinPath(result, part);
    }
    return result.empty() ? std::string(1, PreferredSeparator()) : result;
}

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

bool HasPattern(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

bool ListMatches(IFolder& folder, const std::string& pattern, bool bFoldersOnly,
                 std::vector<CDirEntry>& matches, CFileError& error) {
    std::vector<CDirEntry> entries;
    if (!folder.List(entries, error)) {
        return false;
    }
    for (CDirEntry& entry : entries) {
        if ((!bFoldersOnly || (entry.m_attributes & kAttrDirectory) != 0) &&
            MatchesPattern(pattern, entry.m_strName)) {
            matches.push_back(std::move(entry));
        }
    }
    return true;
}

bool FindNamedEntry(IFileSystem& fileSystem, const std::string& path, CDirEntry& entry) {
    const bool bFolderOnly = EndsInSeparator(path);
    std::string name;
    CFileError error;
    // A drive's own current folder is never used: "E:x" would be looked for in this one.
    std::unique_ptr<IFolder> folder =
        IsDriveRelative(path) ? nullptr : fileSystem.OpenParentOf(path, name, error);
    if (!folder) {
        return false;
    }
    if (folder->Lookup(name, entry, error)) {
        return !bFolderOnly || (entry.m_attributes & kAttrDirectory) != 0;
    }
    // A name with pattern characters is a pattern only when no entry has it literally.
    std::vector<CDirEntry> matches;
    if (!HasPattern(name) || !ListMatches(*folder, name, bFolderOnly, matches, error) ||
        matches.empty()) {
        return false;
    }
    entry = matches.front();
    return true;
}

bool EndsInSeparator(const std::string& path) {
    return path.size() > PathRootLength(path) && IsPathSeparator(path.back());
}

std::string CollapseSeparators(const std::string& path) {
    const std::size_t root = PathRootLength(path);
    std::string result = path.substr(0, root);
    for (std::size_t i = root; i < path.size(); ++i) {
        // A separator right after another (or after a root that ends in one) adds nothing.
        if (!IsPathSeparator(path[i]) || i == 0 || !IsPathSeparator(path[i - 1])) {
            result += path[i];
        }
    }
    return result;
}

}  // namespace quorrel

// The recycle-bin interface's own part: a bin folder reached from its root, a part at a time.
#include "platform/RecycleBins.h"

namespace quorrel {

namespace {

bool IsRealFolder(const CDirEntry& entry) {
    return (entry.m_attributes & kAttrDirectory) != 0 &&
           (entry.m_attributes & kAttrReparsePoint) == 0;
}

// The parts of `path` that follow its first `nSkip` characters, split at this system's
// separators and at `extra` (the one the bin's root ends in: a drive root's backslash).
std::vector<std::string> PartsAfter(const std::string& path, std::size_t nSkip, char extra) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = nSkip; i <= path.size(); ++i) {
        if (i == path.size() || IsPathSeparator(path[i]) || path[i] == extra) {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += path[i];
        }
    }
    return parts;
}

}  // namespace

std::unique_ptr<IFolder> IRecycleBins::OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                                     const std::string& folder, EBinOpen& state) {
    CFileError error;
    const std::string& root = bin.m_strRoot;
    const bool bUnderRoot = !root.empty() && folder.compare(0, root.size(), root) == 0;
    std::unique_ptr<IFolder> current =
        fs.OpenFolder(bUnderRoot ? root : std::string(folder, 0, PathRootLength(folder)), error);
    state = EBinOpen::Missing;
    if (!current) {
        return nullptr;
    }
    const std::size_t nRoot = bUnderRoot ? root.size() : PathRootLength(folder);
    const char extra = nRoot > 0 ? folder[nRoot - 1] : PreferredSeparator();
    for (const std::string& part : PartsAfter(folder, nRoot, extra)) {
        CDirEntry entry;
        if (!current->Lookup(part, entry, error)) {
            state = error.m_nCause == kCauseFileNotFound ? EBinOpen::Missing : EBinOpen::Unreadable;
            return nullptr;
        }
        current = IsRealFolder(entry) ? current->OpenFolder(entry, error) : nullptr;
        if (!current) {
            state = EBinOpen::Unreadable;
            return nullptr;
        }
    }
    state = EBinOpen::Opened;
    return current;
}

}  // namespace quorrel

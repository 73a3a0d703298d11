// Names of the program's own that take the place of old ones.
#include "engine/file/NameTraces.h"

#include <algorithm>

namespace quorrel {

const char* const kFillerPrefix = ".quorrel-name-";

namespace {

constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kNameCharacterCount = sizeof kNameCharacters - 1;
// Random names tried before a rename in place gives up (a name taken already is skipped).
constexpr int kRenameTries = 8;
// Same-length renames an entry gets. FAT gives a renamed entry the first free run of slots and
// frees its old ones: the first rename moves the name out, the second moves a random one in.
constexpr int kSlotRenames = 1;

// The drawer of this thread's in-place renames.
CNameDrawer& Drawer() {
    thread_local CNameDrawer drawer;
    return drawer;
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Characters at the end of a filler's name that follow from the rest of it, so that a name a
// person gave, however like a filler's, is not taken for one.
constexpr std::size_t kFillerCheckLength = 2;

// The check characters of a filler's random part `body` (FNV-1a over its bytes).
std::string FillerCheck(const std::string& body) {
    std::uint32_t nHash = 2166136261u;
    for (const char c : body) {
        nHash = (nHash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    std::string check(kFillerCheckLength, 'a');
    for (char& c : check) {
        c = kNameCharacters[nHash % kNameCharacterCount];
        nHash /= kNameCharacterCount;
    }
    return check;
}

}  // namespace

CNameDrawer::CNameDrawer() : m_generator(std::random_device{}()) {}

std::string CNameDrawer::Draw(std::size_t nLength) {
    std::string name(nLength, 'a');
    for (char& c : name) {
        c = kNameCharacters[m_generator() % kNameCharacterCount];
    }
    return name;
}

std::string CNameDrawer::Filler(std::size_t nLength) {
    const std::size_t nPrefix = std::string(kFillerPrefix).size();
    const std::size_t nTotal = std::max(nLength, kMinFillerLength);
    return FillerNameFor(Draw(nTotal - nPrefix - kFillerCheckLength));
}

std::string FillerNameFor(const std::string& body) {
    return kFillerPrefix + body + FillerCheck(body);
}

bool LooksLikeFillerName(const std::string& name) {
    const std::string prefix(kFillerPrefix);
    if (name.size() < kMinFillerLength || name.size() > kMaxFillerLength ||
        name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       IsNameCharacter);
}

bool IsFillerName(const std::string& name) {
    if (!LooksLikeFillerName(name)) {
        return false;
    }
    const std::size_t nPrefix = std::string(kFillerPrefix).size();
    const std::size_t nBody = name.size() - nPrefix - kFillerCheckLength;
    return name.compare(nPrefix + nBody, kFillerCheckLength,
                        FillerCheck(name.substr(nPrefix, nBody))) == 0;
}

std::size_t NameUnits(const std::string& name) {
    std::size_t nUnits = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            nUnits += byte >= 0xF0 ? 2 : 1;  // four-byte sequences need a surrogate pair
        }
    }
    return nUnits;
}

bool KeepsNamesInSlots(IFolder& folder) {
    const std::string type = folder.GetVolume().m_strType;
    return type == "vfat" || type == "msdos" || type == "fuse.fusefat" || type == "FAT" ||
           type == "FAT32";
}

bool KeepsNamesInEntrySpace(IFolder& folder) {
    if (KeepsNamesInSlots(folder)) {
        return true;
    }
    const std::string type = folder.GetVolume().m_strType;
    // fuseblk: ntfs-3g on a disk (and exFAT's FUSE driver, whose deleted entries keep their
    // names too); not fuse, which is every network and user-space file system as well.
    return type == "ntfs" || type == "ntfs3" || type == "fuseblk";
}

// Renames `from` in `folder` to a random name of `nUnits` characters by `rename`; the new name
// in `to`. False when every name tried was taken or the rename failed.
template <typename FRename>
bool RenameToSameLength(const std::string& from, FRename rename, std::string& to) {
    const std::size_t nUnits = NameUnits(from);
    for (int nTry = 0; nTry < kRenameTries; ++nTry) {
        to = Drawer().Draw(nUnits);
        CFileError error;
        if (rename(to, error)) {
            return true;
        }
        if (error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    return false;
}

CDirEntry RenameInPlace(IFolder& folder, const CDirEntry& listed) {
    if (!KeepsNamesInSlots(folder)) {
        return listed;
    }
    CDirEntry renamed = listed;
    for (int nRename = 0; nRename < kSlotRenames; ++nRename) {
        std::string to;
        const auto rename = [&](const std::string& name, CFileError& error) {
            return folder.RenameListed(renamed, name, error);
        };
        if (!RenameToSameLength(renamed.m_strName, rename, to)) {
            break;
        }
        renamed.m_strName = to;
    }
    return renamed;
}

std::string RenameFolderInPlace(IFolder& parent, const std::string& name) {
    if (!KeepsNamesInEntrySpace(parent)) {
        return name;
    }
    std::string now = name;
    for (int nRename = 0; nRename < kSlotRenames; ++nRename) {
        std::string to;
        const auto rename = [&](const std::string& target, CFileError& error) {
            return parent.Rename(now, target, error);
        };
        if (!RenameToSameLength(now, rename, to)) {
            break;
        }
        now = to;
    }
    return now;
}

}  // namespace quorrel

// The refill of a folder's entry space after a plain run deleted entries from it.
#include "engine/names/NameRefill.h"

#include <algorithm>

namespace quorrel {

namespace {

// A FAT folder entry is 32 bytes; a long name takes one more for every 13 UTF-16 units.
constexpr std::size_t kLongNameUnitsPerSlot = 13;
// Slots a filler takes at least and at most (its name is 20 to 64 units long).
constexpr std::size_t kFewestFillerSlots = 3;
constexpr std::size_t kMostFillerSlots = 6;

bool IsShortNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string("$%'-_@~`!(){}^#&").find(c) != std::string::npos;
}

// True when `name` is a FAT short name as it stands (upper case, 8 and 3): one slot, no long
// name beside it.
bool IsShortName(const std::string& name) {
    const std::size_t dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const auto plain = [](const std::string& part) {
        return std::all_of(part.begin(), part.end(), IsShortNameCharacter);
    };
    return !base.empty() && base.size() <= 8 && ext.size() <= 3 && plain(base) && plain(ext) &&
           (dot == std::string::npos || !ext.empty());
}

// The slots `name` takes in a FAT folder: its short entry, and its long name's pieces.
std::size_t FatSlots(const std::string& name) {
    if (IsShortName(name)) {
        return 1;
    }
    return (NameUnits(name) + kLongNameUnitsPerSlot - 1) / kLongNameUnitsPerSlot + 1;
}

// The length of a filler's name that takes `nSlots` slots.
std::size_t LengthForSlots(std::size_t nSlots) {
    return std::max(kLongNameUnitsPerSlot * (nSlots - 1), kMinFillerLength);
}

// The fillers that take the places of `names` in a FAT folder: one as long as each name a
// filler can match, the slots of the rest made up by fillers of 3 to 5 slots, never more slots
// in all than the names took. A FAT folder is not to grow: the deleted names lie in the slots
// it has, and fusefat mislays the first entry of a folder's new cluster. Up to 2 slots (a name
// of 13 units or fewer) can take no filler.
std::vector<std::size_t> FatFillerLengths(const std::vector<std::string>& names) {
    std::vector<std::size_t> lengths;
    std::size_t nRest = 0;
    for (const std::string& name : names) {
        const std::size_t nSlots = FatSlots(name);
        if (nSlots >= kFewestFillerSlots && nSlots <= kMostFillerSlots) {
            lengths.push_back(FillerLengthFor(name));
        } else {
            nRest += nSlots;
        }
    }
    while (nRest >= kFewestFillerSlots) {
        // Threes until what is left is one filler: 3, 4 or 5 slots.
        const std::size_t nSlots = nRest <= 5 ? nRest : kFewestFillerSlots;
        lengths.push_back(LengthForSlots(nSlots));
        nRest -= nSlots;
    }
    return lengths;
}

}  // namespace

std::size_t FillerLengthFor(const std::string& name) {
    return std::min(std::max(NameUnits(name), kMinFillerLength), kMaxFillerLength);
}

// The fillers go in as the deleted names went, each as long as one of them, so that they take
// the gaps those left: FAT gives an entry the first run of free slots that fits it, NTFS
// packs an index's entries and leaves the bytes past the last one as they were, and ntfs-3g
// gives a new file the lowest free record, formatted afresh. The margin, of the shortest,
// takes records the run's renames freed, and on FAT the gaps before the deleted names that
// the same-length renames moved them into. An emptied FAT folder has no such gaps: its
// fillers go in one run from its first slot over the deleted names' slots. Whether the folder
// grows does not end it on NTFS: an index whose root is split moves into the very buffers
// that hold the old names.
bool RefillEntrySpace(IFolder& folder, const std::string& path,
                      const std::vector<std::string>& names, bool bEmptied, CRunLog& log) {
    if (names.empty() || !KeepsNamesInEntrySpace(folder)) {
        return true;
    }
    const auto fail = [&log](const std::string& line) { log.Fail(line); };
    // A run killed here before left its fillers: this run takes them away with its own.
    RemoveLeftFillers(
        folder, path, [&log](const std::string& line) { log.Host().AddLine(line); }, fail);
    CFillerPlan plan;
    const bool bFat = KeepsNamesInSlots(folder);
    if (bFat) {
        plan.lengths = FatFillerLengths(names);
    } else {
        for (const std::string& name : names) {
            plan.lengths.push_back(FillerLengthFor(name));
        }
    }
    if (!bFat || !bEmptied) {
        plan.lengths.insert(plan.lengths.end(), kRefillMargin, kMinFillerLength);
    }
    plan.nMost = static_cast<int>(std::min<std::size_t>(plan.lengths.size(), kMaxFillers));
    plan.bUntilOutgrown = false;
    // FAT: fusefat may keep a filler it was told to remove, which is looked for afterwards.
    const std::set<std::string> before = bFat ? FillerNamesIn(folder) : std::set<std::string>();
    CNameDrawer drawer;
    std::vector<std::string> made;
    CFileError error;
    MakeFillers(
        folder, path, plan, drawer, [] { return false; }, made, error);
    const bool bRemoved = RemoveFillers(folder, path, made, fail);
    return bRemoved && (!bFat || made.empty() || NoFillerStays(folder, path, before, fail));
}

void CStayFolders::Note(const std::shared_ptr<IFolder>& folder, const std::string& path,
                        const std::string& name) {
    const CFileId id = folder->GetId();
    for (CStay& stay : m_folders) {
        if (stay.id == id) {
            stay.names.push_back(name);
            return;
        }
    }
    // Looking at the file system costs a look-up of the mount: once for a run of entries in
    // one folder that needs nothing.
    if (m_bPlainKnown && id == m_plainId) {
        return;
    }
    if (!KeepsNamesInEntrySpace(*folder)) {
        m_plainId = id;
        m_bPlainKnown = true;
        return;
    }
    m_folders.push_back({folder, id, path, {name}});
}

bool CStayFolders::IsFullFor(const CFileId& id) const {
    return m_folders.size() >= kMaxHeld &&
           std::none_of(m_folders.begin(), m_folders.end(),
                        [&id](const CStay& stay) { return stay.id == id; });
}

bool CStayFolders::Refill(CRunLog& log) {
    bool bOk = true;
    for (CStay& stay : m_folders) {
        bOk = RefillEntrySpace(*stay.folder, stay.path, stay.names, false, log) && bOk;
    }
    m_folders.clear();
    return bOk;
}

}  // namespace quorrel

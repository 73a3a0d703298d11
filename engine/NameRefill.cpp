// The refill of a folder's entry space after a plain run deleted entries from it.
#include "engine/NameRefill.h"

#include <algorithm>

namespace quorrel {

std::size_t FillerLengthFor(const std::string& name) {
    return std::min(std::max(NameUnits(name), kMinFillerLength), kMaxFillerLength);
}

// The fillers go in as the deleted names went, each as long as one of them, so that they take
// the gaps those left: FAT gives an entry the first run of free slots that fits it, NTFS
// packs an index's entries and leaves the bytes past the last one as they were, and ntfs-3g
// gives a new file the lowest free record, formatted afresh. The margin is of the shortest,
// which fit the smallest gaps. Whether the folder grows does not end it: an NTFS index whose
// root is split moves into the very buffers that hold the old names.
bool RefillEntrySpace(IFolder& folder, const std::string& path,
                      const std::vector<std::size_t>& lengths, CRunLog& log) {
    if (lengths.empty() || !KeepsNamesInEntrySpace(folder)) {
        return true;
    }
    CFillerPlan plan;
    plan.lengths = lengths;
    plan.lengths.insert(plan.lengths.end(), kRefillMargin, kMinFillerLength);
    plan.nMost = static_cast<int>(std::min<std::size_t>(plan.lengths.size(), kMaxFillers));
    plan.bUntilOutgrown = false;
    CNameDrawer drawer;
    std::vector<std::string> made;
    CFileError error;
    MakeFillers(
        folder, path, plan, drawer, [] { return false; }, made, error);
    return RemoveFillers(folder, path, made, [&log](const std::string& line) { log.Fail(line); });
}

void CStayFolders::Note(const std::shared_ptr<IFolder>& folder, const std::string& path,
                        const std::string& name) {
    const CFileId id = folder->GetId();
    for (CStay& stay : m_folders) {
        if (stay.id == id) {
            stay.lengths.push_back(FillerLengthFor(name));
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
    m_folders.push_back({folder, id, path, {FillerLengthFor(name)}});
}

bool CStayFolders::Refill(CRunLog& log) {
    bool bOk = true;
    for (CStay& stay : m_folders) {
        bOk = RefillEntrySpace(*stay.folder, stay.path, stay.lengths, log) && bOk;
    }
    m_folders.clear();
    return bOk;
}

}  // namespace quorrel

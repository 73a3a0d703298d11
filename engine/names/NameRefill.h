// The refill a plain run gives a folder it deleted entries from, where the file system keeps
// the deleted names in the entry space they leave (FAT, NTFS): fillers as long as the names
// take that space, and are removed again, so that it holds nothing but fillers' names.
// Internal to the engine.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/log/RunLog.h"
#include "engine/names/Fillers.h"
#include "platform/FileSystem.h"

namespace quorrel {

// Fillers one refill makes beyond one for each deleted name where the folder may grow (NTFS):
// the run's renames free file records and index space of their own.
constexpr int kRefillMargin = 4;

// The name length of the filler that takes the place of `name`.
std::size_t FillerLengthFor(const std::string& name);

// Refills `folder` (called `path`), which a plain run deleted the entries `names` from, and
// removes the fillers again: where its file system keeps old names in the entry space
// (KeepsNamesInEntrySpace), else nothing. There is one filler as long as each name and
// kRefillMargin more; on FAT the fillers take as many slots as the names did, and a folder
// `bEmptied` of all its entries gets no margin, so that it does not grow. kMaxFillers at most.
// A filler that cannot be made ends the refill without a line; one that cannot be removed is
// a failure line in `log`. False then.
bool RefillEntrySpace(IFolder& folder, const std::string& path,
                      const std::vector<std::string>& names, bool bEmptied, CRunLog& log);

// The folders a plain list run deleted entries from, each refilled once after the run's last
// entry in it.
class CStayFolders {
public:
    // Folders held at once; one more refills those held first.
    static constexpr std::size_t kMaxHeld = 16;

    // Notes that the run deletes `name` from `folder`, called `path`: kept (open) where its file
    // system keeps old names in the entry space, else forgotten at once.
    void Note(const std::shared_ptr<IFolder>& folder, const std::string& path,
              const std::string& name);
    // True when noting an entry of the folder `id` would hold one folder more than kMaxHeld.
    bool IsFullFor(const CFileId& id) const;
    // Refills every folder noted, in the order they were first noted, and lets them go. Only
    // once no file of theirs is in flight any more. False when a filler stays.
    bool Refill(CRunLog& log);
    // Lets every folder noted go without refilling it (a run the user stopped).
    void Forget() {
        m_folders.clear();
        m_bPlainKnown = false;
    }

private:
    struct CStay {
        std::shared_ptr<IFolder> folder;
        CFileId id;
        std::string path;
        std::vector<std::string> names;  // the names deleted from it
    };

    std::vector<CStay> m_folders;
    CFileId m_plainId;  // the last folder found to keep no names, looked at once
    bool m_bPlainKnown = false;
};

}  // namespace quorrel

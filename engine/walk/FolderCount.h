// Counting what a run would reach, with the walk a run takes. Internal to the engine.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace quorrel {

// Counts the plain files and their bytes that a run would shred below the entries it is given,
// walking each folder with the run's own walker in its looking mode: by handle, never through
// a link, never into another mount, and changing nothing. Gives up once `nBudget` entries were
// looked at, so that a count never costs much next to the run it is for.
class CFolderCount {
public:
    explicit CFolderCount(std::int64_t nBudget) : m_nBudget(nBudget) {}

    // Adds the entry `entry` of the open folder `folder` (called `path`): a plain file's
    // length, or everything below a folder as a walk of it reaches it (a folder is walked even
    // when it is a mount point of its own, as a run walks the folder it is given). Links and
    // special files hold no data. False once the budget is spent.
    bool Add(IFolder& folder, const CDirEntry& entry, const std::string& path);
    // Adds one plain file of `nBytes` bytes that was looked at elsewhere (a path the user
    // named). False once the budget is spent.
    bool AddFile(std::int64_t nBytes);

    std::int64_t Files() const { return m_nFiles; }
    std::int64_t Bytes() const { return m_nBytes; }
    // True once the budget ran out: the counts are then short of the whole.
    bool IsSpent() const { return m_bSpent; }

private:
    class CCounter;
    bool Spend();

    std::int64_t m_nBudget;
    std::int64_t m_nFiles = 0;
    std::int64_t m_nBytes = 0;
    bool m_bSpent = false;
};

}  // namespace quorrel

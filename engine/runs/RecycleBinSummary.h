// What WIPE Recycle Bin would destroy, looked at before the question is asked: each bin found,
// with how many entries it holds and how many bytes, as far as that is quick to count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RecycleBins.h"

namespace quorrel {

// One bin that has a folder of deleted entries.
struct CBinContents {
    std::string m_strFolder;      // the folder whose entries a run shreds
    std::int64_t m_nEntries = 0;  // its entries, the bin's own bookkeeping left out
    std::int64_t m_nBytes = 0;    // the bytes of the plain files in it and below it
    bool m_bAllCounted = true;    // false when counting stopped early: m_nBytes is a lower bound
    bool m_bReadable = true;      // false when the folder exists but could not be listed
};

// Looks at every bin `bins` finds, in run order, without changing anything: each entry is
// walked as the run walks it (by handle, no link followed, no other mount entered). Bins whose
// folder does not exist (never used) are left out. Counting stops after `nBudget` entries in all,
// so that a bin of millions of files does not keep the question waiting. False when the bins could
// not be found at all (the run would then report why and touch nothing).
bool DescribeRecycleBins(IFileSystem& fs, IRecycleBins& bins, std::vector<CBinContents>& found,
                         std::int64_t nBudget = 20000);

// The question WIPE Recycle Bin asks, naming every bin and what it holds.
std::string RecycleBinQuestion(const std::vector<CBinContents>& found);

}  // namespace quorrel

// Which recycle bins the window's WIPE Recycle Bin shreds: the system's, unless a test has put
// bins of its own in their place (trash folders in a temporary home), so that no test ever
// reaches the real user's trash.
#pragma once

#include "platform/RecycleBins.h"

namespace quorrel {

// The bins the next run shreds.
IRecycleBins& RecycleBinsForRuns();
// Puts `pBins` in place of the system's bins until it is called again with null. The caller
// keeps ownership and keeps the bins alive while they are in place.
void SetRecycleBinsForRuns(IRecycleBins* pBins);

}  // namespace quorrel

// WIPE Recycle Bin: what the user has in every recycle bin, overwritten in place, then emptied.
#pragma once

#include "engine/runs/WipeEngine.h"
#include "platform/RecycleBins.h"

namespace quorrel {

// Shreds the entries of every bin `bins` finds, in its order, in recycle-bin mode (files
// overwritten at full length, nothing renamed, truncated or removed), and empties each bin
// right after its own entries, then looks at it again: an entry still there, or one gone
// without being overwritten, is a failure. A bin folder that cannot be listed is reported and
// left as it is. An entry that fails is reported by the wipe routine and the next entry
// follows. Cancel ends the run after the current entry and empties nothing more: the entries
// stay in their bins for a later run. Asks no question and writes no method banner. True when
// every bin was shredded and emptied without a failure or an abort.
bool RunWipeRecycleBin(CWipeEngine& engine, IRecycleBins& bins);

}  // namespace quorrel

// The runs a user starts: shredding the list's selected rows, or a whole folder tree.
#pragma once

#include <string>

#include "engine/log/LogLines.h"
#include "engine/runs/WipeEngine.h"

namespace quorrel {

// The rows of the file list, as a run sees them. The window's list view implements it; the
// terminal front end keeps its own.
class IWipeList {
public:
    virtual ~IWipeList() = default;
    // The first selected row after `nStart` (from the top when it is -1); -1 when none.
    virtual int GetNextSelected(int nStart) = 0;
    // The full path a row holds.
    virtual std::string GetItemPath(int nRow) = 0;
    // Removes a row; the rows below move up.
    virtual void DeleteItem(int nRow) = 0;
    // Selects or deselects a row.
    virtual void SetSelected(int nRow, bool bSelected) = 0;
    // How many rows the list holds.
    virtual int GetItemCount() = 0;
    // From now on the list may hold back deleted rows from what the user sees, to take many
    // away at once; to the caller they are gone at once. A run calls it before its first row.
    virtual void HoldRemovals() {}
    // Every held-back row is taken away now, and deletions are shown at once again. A run
    // calls it after its last row, also when it was aborted.
    virtual void FinishRemovals() {}
};

// Shreds the selected rows from the top, one after another: a row whose entry was destroyed
// leaves the list, any other is deselected. Each row is found by searching on from the one
// before, so a run costs time in proportion to its rows. Writes the banner and the time line
// and follows the run protocol. Ask the question first. Returns false when the run was aborted.
bool RunWipeSelected(CWipeEngine& engine, IWipeList& list);

// Shreds the folder tree `folder` as one run: banner, the walk, then the end and time lines,
// or the error line when the folder could not be listed or the run was aborted. Ask the
// question first. Returns what the walk returned.
bool RunWipeFolder(CWipeEngine& engine, const std::string& folder);

}  // namespace quorrel

#include "Runs.h"

#include "WipeMethod.h"

namespace quorrel {

const char* const kWipeListQuestion =
    "Are you really sure that you want to permannetly erase these items ?";
const char* const kWipeFolderQuestion =
    "Are you realy shour that you want to erase this folder ?";

namespace {

std::string TimeLine(std::int64_t nSeconds) {
    return "- Time: " + std::to_string(nSeconds) + " seconds.";
}

std::string MethodPhrase(const CWipeEngine& engine) {
    return std::string(WipeMethodName(engine.GetWipeMethod())) + " algorithm.";
}

}  // namespace

void SelectAllRows(IWipeList& list) {
    const int nCount = list.GetItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow) {
        list.SetSelected(nRow, true);
    }
}

bool RunWipeSelected(CWipeEngine& engine, IWipeList& list) {
    IRunHost& host = engine.Host();
    host.AddLine("- Deleteing files using: " + MethodPhrase(engine));
    const std::int64_t nStart = engine.Now();
    int nRow = list.GetNextSelected(-1);
    host.BeginRun();
    list.HoldRemovals();
    bool bAborted = false;
    while (nRow != -1) {
        if (host.IsAborted()) {
            bAborted = true;
            break;
        }
        // Every row above nRow is deleted or deselected, so the next selected row is the
        // first one at or after nRow: the search goes on from there, not from the top.
        if (engine.WipeListItem(list.GetItemPath(nRow))) {
            list.DeleteItem(nRow);
            nRow = list.GetNextSelected(nRow - 1);
        } else {
            list.SetSelected(nRow, false);
            nRow = list.GetNextSelected(nRow);
        }
    }
    list.FinishRemovals();
    host.EndRun();
    host.AddLine(TimeLine(engine.Now() - nStart));
    return !bAborted;
}

bool RunWipeFolder(CWipeEngine& engine, const std::string& folder) {
    IRunHost& host = engine.Host();
    host.AddLine("- Start deleteing files " + folder + " using: " + MethodPhrase(engine));
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    const bool bDone = engine.WipeFolder(folder, false);
    host.EndRun();
    if (bDone) {
        host.AddLine("- End deleting the folder " + folder);
        host.AddLine(TimeLine(engine.Now() - nStart));
    } else {
        engine.Fail("* Error deleting the folder " + folder);
    }
    return bDone;
}

}  // namespace quorrel

#include "engine/Runs.h"

#include "engine/LogLines.h"
#include "engine/WipeMethod.h"

namespace quorrel {

namespace {

std::string MethodName(const CWipeEngine& engine) {
    return WipeMethodName(engine.GetWipeMethod());
}

}  // namespace

bool RunWipeSelected(CWipeEngine& engine, IWipeList& list) {
    IRunHost& host = engine.Host();
    host.AddLine(lines::ListBanner(MethodName(engine)));
    engine.ForgetShredded();
    const std::int64_t nStart = engine.Now();
    int nRow = list.GetNextSelected(-1);
    host.BeginRun();
    list.HoldRemovals();
    bool bAborted = false;
    EWipeOutcome last = EWipeOutcome::Destroyed;
    while (nRow != -1) {
        if (host.IsAborted()) {
            bAborted = true;
            engine.NoteAborted();
            if (last != EWipeOutcome::Aborted) {  // Cancel came between two rows: say so
                engine.Fail(lines::kListAborted);
            }
            break;
        }
        // Every row above nRow is deleted or deselected, so the next selected row is the
        // first one at or after nRow: the search goes on from there, not from the top.
        last = engine.WipeListItem(list.GetItemPath(nRow));
        if (IsRemoved(last)) {
            list.DeleteItem(nRow);
            nRow = list.GetNextSelected(nRow - 1);
        } else {
            list.SetSelected(nRow, false);
            nRow = list.GetNextSelected(nRow);
        }
    }
    list.FinishRemovals();
    engine.ForgetShredded();  // no folder of the list stays open after the run
    host.EndRun();
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return !bAborted;
}

bool RunWipeFolder(CWipeEngine& engine, const std::string& named) {
    const std::string folder = CollapseSeparators(named);  // "a///" is shown, and walked, as "a/"
    IRunHost& host = engine.Host();
    host.AddLine(lines::FolderBanner(folder, MethodName(engine)));
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    const bool bDone = engine.WipeFolder(folder, EWipeMode::Normal);
    host.EndRun();
    if (bDone) {
        host.AddLine(lines::FolderEnd(folder));
        host.AddLine(lines::TimeLine(engine.Now() - nStart));
    } else {
        engine.Fail(lines::FolderFailed(folder));
    }
    return bDone;
}

}  // namespace quorrel

#include "engine/runs/Runs.h"

#include <deque>

#include "engine/file/WipeMethod.h"
#include "engine/log/LogLines.h"

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
    engine.DeviceNotes().Forget();
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    list.HoldRemovals();
    bool bAborted = false;
    EWipeOutcome last = EWipeOutcome::Destroyed;
    // The rows handed over and not yet done, in order; a row done leaves the list or is
    // deselected, and the rows below it move up. The search for the next row goes on after
    // nAfter, the last row handed over: every selected row above it is handed over already.
    std::deque<int> inFlight;
    int nAfter = -1;
    bool bNotReached = false;  // Cancel kept a row handed over from beginning
    const auto Done = [&](EWipeOutcome outcome) {
        const int nDone = inFlight.front();
        inFlight.pop_front();
        if (outcome == EWipeOutcome::NotBegun) {
            bNotReached = true;
            return;  // not reached: the row stays selected, as every row after it
        }
        last = outcome;
        if (!IsRemoved(outcome)) {
            list.SetSelected(nDone, false);
            return;
        }
        list.DeleteItem(nDone);
        for (int& nRow : inFlight) {
            nRow -= nRow > nDone ? 1 : 0;
        }
        nAfter -= nAfter >= nDone ? 1 : 0;
    };
    for (int nRow = list.GetNextSelected(-1); nRow != -1; nRow = list.GetNextSelected(nAfter)) {
        if (host.IsAborted()) {
            engine.FinishListItems();  // the rows in flight stop at their next chunk
            bAborted = true;
            engine.NoteAborted();
            if (last != EWipeOutcome::Aborted) {  // Cancel came between two rows: say so
                engine.Fail(lines::kListAborted);
            }
            break;
        }
        inFlight.push_back(nRow);
        nAfter = nRow;
        engine.WipeListItemThen(list.GetItemPath(nRow), Done);
    }
    engine.FinishListItems();
    if (!bAborted && bNotReached) {
        // Cancel came once every row was handed over: the rows it kept from beginning are
        // left as they were, still selected.
        bAborted = true;
        engine.NoteAborted();
        if (last != EWipeOutcome::Aborted) {
            engine.Fail(lines::kListAborted);
        }
    }
    list.FinishRemovals();
    engine.ForgetShredded();  // no folder of the list stays open after the run
    host.EndRun();
    engine.SayDeviceNotes();
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return !bAborted;
}

bool RunWipeFolder(CWipeEngine& engine, const std::string& named) {
    const std::string folder = CollapseSeparators(named);  // "a///" is shown, and walked, as "a/"
    IRunHost& host = engine.Host();
    host.AddLine(lines::FolderBanner(folder, MethodName(engine)));
    const std::int64_t nStart = engine.Now();
    engine.DeviceNotes().Forget();
    host.BeginRun();
    const bool bDone = engine.WipeFolder(folder, EWipeMode::Normal);
    host.EndRun();
    engine.SayDeviceNotes();
    if (bDone) {
        host.AddLine(lines::FolderEnd(folder));
        host.AddLine(lines::TimeLine(engine.Now() - nStart));
    } else {
        engine.Fail(lines::FolderFailed(folder));
    }
    return bDone;
}

}  // namespace quorrel

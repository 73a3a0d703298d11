// The frame's WIPE Recycle Bin.
#include <QStringList>

#include "engine/runs/RecycleBinRun.h"
#include "engine/runs/RecycleBinSummary.h"
#include "engine/runs/WipeEngine.h"
#include "list/PathText.h"
#include "platform/RecycleBins.h"
#include "shell/MainFrame.h"
#include "shell/RecycleBinSource.h"

namespace quorrel {

namespace {

IRecycleBins* g_pBinsOverride = nullptr;

}  // namespace

IRecycleBins& RecycleBinsForRuns() {
    return g_pBinsOverride != nullptr ? *g_pBinsOverride : SystemRecycleBins();
}

void SetRecycleBinsForRuns(IRecycleBins* pBins) {
    g_pBinsOverride = pBins;
}

// Asks first, as every WIPE command does: one stray click would otherwise destroy, for good,
// whatever the user still meant to restore from any trash. The question names each bin and
// what it holds.
void CMainFrame::OnWipeRecycleBin() {
    std::vector<CBinContents> found;
    DescribeRecycleBins(SystemFileSystem(), RecycleBinsForRuns(), found);
    // The folders' names are shown as the list shows paths, line by line: DisplayPath would
    // show the line feeds themselves as \x0A.
    QStringList lines;
    for (const QByteArray& line :
         QByteArray::fromStdString(RecycleBinQuestion(found)).split('\n')) {
        lines.append(DisplayPath(line));
    }
    if (!AskDestroy(lines.join(QLatin1Char('\n')))) {
        return;
    }
    RunWipeRecycleBin(Engine(), RecycleBinsForRuns());
}

}  // namespace quorrel

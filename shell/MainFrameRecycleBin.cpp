// The frame's WIPE Recycle Bin.
#include "RecycleBins.h"
#include "MainFrame.h"
#include "RecycleBinRun.h"
#include "RecycleBinSource.h"
#include "WipeEngine.h"

namespace quorrel {

namespace {

IRecycleBins* g_pBinsOverride = nullptr;

}  // namespace

IRecycleBins& RecycleBinsForRuns() {
    return g_pBinsOverride != nullptr ? *g_pBinsOverride : SystemRecycleBins();
}

void SetRecycleBinsForRuns(IRecycleBins* pBins) { g_pBinsOverride = pBins; }

void CMainFrame::OnWipeRecycleBin() {
    // No question: what sits in the trash was already thrown away once.
    RunWipeRecycleBin(Engine(), RecycleBinsForRuns());
}

}  // namespace quorrel

// The frame's WIPE Recycle Bin.
#include "engine/RecycleBinRun.h"
#include "engine/WipeEngine.h"
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

void CMainFrame::OnWipeRecycleBin() {
    // No question: what sits in the trash was already thrown away once.
    RunWipeRecycleBin(Engine(), RecycleBinsForRuns());
}

}  // namespace quorrel

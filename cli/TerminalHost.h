// The run host of quorrel-shred: log lines on stdout, a progress bar on stderr when it is a
// terminal, Ctrl-C as Cancel.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/log/RunHost.h"
#include "engine/runs/RunProgress.h"

namespace quorrel {

// `line` with every control character shown as \xNN (each byte of it), so that no name can
// start a line of its own, move the cursor or reorder what follows: C0 controls and DEL, C1
// controls raw or as UTF-8, and the bidirectional overrides and isolates.
std::string EscapeControls(const std::string& line);

class CTerminalHost final : public IRunHost {
public:
    // `bProgress`: draw the progress bar on stderr.
    explicit CTerminalHost(bool bProgress);

    void AddLine(const std::string& line) override;
    bool IsAborted() override;
    void SetProgressRange(std::int64_t nUpper) override;
    void SetProgressPos(std::int64_t nPos) override;
    void StepProgress(std::int64_t nBytes) override;
    void OnPassStart(const std::string& path, int nPass, int nPasses) override;
    void BeginRun() override;
    void EndRun() override;
    // The work the next run is expected to cover, for the files and bytes of the line.
    void ExpectWork(const CRunEstimate& estimate) { m_progress.Expect(estimate); }

    // Why a log line could not be written to standard output (the first time it failed);
    // empty when every line reached it.
    const std::string& OutputError() const { return m_strOutputError; }

    // Makes Ctrl-C (SIGINT), SIGTERM and SIGHUP set the abort flag instead of ending the process,
    // and keeps a closed output pipe from ending it.
    static void InstallInterruptHandler();

private:
    void Draw(bool bForce);
    void ClearBar();

    bool m_bProgress;
    std::string m_strOutputError;
    bool m_bBarShown = false;
    CRunProgress m_progress;
    std::chrono::steady_clock::time_point m_runStart;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace quorrel

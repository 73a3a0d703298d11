// The run host of the window: the action log bar, the status bar's progress control, the
// Abort dialog, and the frame that a run disables.
#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QPalette>

#include "engine/log/RunHost.h"
#include "engine/runs/RunProgress.h"

class QObject;
class QProgressBar;
class QWidget;

namespace quorrel {

class CAbortDlg;
class COutputBar;

class CWindowRunHost final : public IRunHost {
public:
    // The frame a run disables, its progress bar, the Abort dialog and the action log bar.
    // The dialog must have no parent widget: a run disables the frame and everything under it.
    CWindowRunHost(QWidget& frame, QProgressBar& progress, CAbortDlg& abortDlg,
                   COutputBar& outputBar);
    ~CWindowRunHost() override;

    void AddLine(const std::string& line) override;
    // Lets pending window events through when kEventIntervalMs have passed since it last did
    // (and at the first check of a run), then reports whether Cancel was pressed. Letting
    // them through at every check would spend a run over many small files on repainting.
    bool IsAborted() override;
    void KeepAlive() override;
    // 64-bit byte counts are scaled onto the bar's int range.
    void SetProgressRange(std::int64_t nUpper) override;
    void SetProgressPos(std::int64_t nPos) override;
    void StepProgress(std::int64_t nBytes) override;
    // The Abort dialog names the file and its pass.
    void OnPassStart(const std::string& path, int nPass, int nPasses) override;
    // The work the next run is expected to cover: the Abort dialog counts files and bytes
    // against it and tells the time left.
    void ExpectWork(const CRunEstimate& estimate) { m_runProgress.Expect(estimate); }
    // Disables the frame, clears the abort flag, shows the dialog centred over the frame and
    // makes it the active window, so that Escape reaches it at once. Until the run ends the
    // frame does not close without asking whether to abort the run (Yes aborts it, and the
    // frame closes once the run has ended), the log is drawn as an enabled one (it stays the
    // user's one detail of the run) though it takes no input, and it and the dialog's progress
    // show what is new every kLogIntervalMs.
    void BeginRun() override;
    // Hides the dialog, shows the last log line, enables the frame and brings it to the front;
    // closes the frame afterwards when the user asked for that during the run.
    void EndRun() override;

    // The question a close request during a run asks.
    static const char kCloseQuestion[];

    // The largest value the bar is given; longer files are scaled down to it.
    static constexpr int kBarMaximum = 1 << 30;
    // How often a run lets window events through: often enough that the window repaints and
    // Cancel is seen well within 100 ms, seldom enough that repainting costs the run nothing.
    static constexpr int kEventIntervalMs = 15;
    // How often a run brings the log's newest line into view: each time the log lays out all
    // its lines, which over a run of many files would grow with the square of their number.
    static constexpr int kLogIntervalMs = 250;

private:
    void ShowPosition();
    void LetEventsThroughWhenDue();
    void DrawLogAsEnabled(bool bEnabledLook);

    QWidget& m_frame;
    QProgressBar& m_progress;
    CAbortDlg& m_abortDlg;
    COutputBar& m_outputBar;
    CRunProgress m_runProgress;
    // The log's own palette, given back when the run ends.
    QPalette m_logPalette;
    bool m_bLogHadPalette = false;
    QElapsedTimer m_sinceRunBegan;
    std::int64_t m_nUpper = 0;
    std::int64_t m_nPos = 0;
    // Since events were last let through; invalid until the run's first check.
    QElapsedTimer m_sinceEvents;
    // Since the log last showed its newest line; invalid until the run's first check.
    QElapsedTimer m_sinceLogShown;
    // Watches the frame during a run and turns its close requests away.
    std::unique_ptr<QObject> m_pCloseRefusal;
    // Holds the log list's layout between the rounds that show the log.
    std::unique_ptr<QObject> m_pLogHold;
};

}  // namespace quorrel

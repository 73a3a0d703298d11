// The run host of the window: the action log bar, the status bar's progress control, the
// Abort dialog, and the frame that a run disables.
#pragma once

#include <functional>
#include <memory>

#include "RunHost.h"

class QObject;
class QProgressBar;
class QWidget;

namespace quorrel {

class CAbortDlg;

class CWindowRunHost final : public IRunHost {
public:
    // `addLine` appends one line to the action log; the other three are the frame's. The
    // dialog must have no parent widget: a run disables the frame and everything under it.
    CWindowRunHost(QWidget& frame, QProgressBar& progress, CAbortDlg& abortDlg,
                   std::function<void(const std::string&)> addLine);
    ~CWindowRunHost() override;

    void AddLine(const std::string& line) override;
    bool IsAborted() override;
    void KeepAlive() override;
    // 64-bit byte counts are scaled onto the bar's int range.
    void SetProgressRange(std::int64_t nUpper) override;
    void SetProgressPos(std::int64_t nPos) override;
    void StepProgress(std::int64_t nBytes) override;
    // Disables the frame, clears the abort flag, shows the dialog centred over the frame. Until
    // the run ends the frame refuses to close.
    void BeginRun() override;
    // Hides the dialog, enables the frame and brings it to the front.
    void EndRun() override;

    // The largest value the bar is given; longer files are scaled down to it.
    static constexpr int kBarMaximum = 1 << 30;

private:
    void ShowPosition();

    QWidget& m_frame;
    QProgressBar& m_progress;
    CAbortDlg& m_abortDlg;
    std::function<void(const std::string&)> m_addLine;
    std::int64_t m_nUpper = 0;
    std::int64_t m_nPos = 0;
    // Watches the frame during a run and turns its close requests away.
    std::unique_ptr<QObject> m_pCloseRefusal;
};

}  // namespace quorrel

#include "shell/WindowRunHost.h"

#include <algorithm>

#include <QCloseEvent>
#include <QListWidget>
#include <QPalette>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "shell/AbortDlg.h"
#include "shell/MessageBox.h"
#include "shell/OutputBar.h"

namespace quorrel {

namespace {

// A disabled window still gets the window manager's close requests (on Windows its close box
// cannot be clicked). Closing the frame mid-run would hide it, make the application quit, which
// closes the Abort dialog and so stops the run, and then leave the program running with no
// window once the dialog refused to go: so the frame stays until the run is over, and the user
// is asked whether to abort the run. Yes sets the abort flag (the file in progress keeps its
// length) and the frame closes once the run has unwound.
class CCloseRefusal final : public QObject {
public:
    explicit CCloseRefusal(CAbortDlg& abortDlg) : m_abortDlg(abortDlg) {}
    bool m_bCloseAfterRun = false;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() != QEvent::Close) {
            return QObject::eventFilter(pWatched, pEvent);
        }
        pEvent->ignore();
        if (m_bAsking || m_bCloseAfterRun) {
            return true;
        }
        m_bAsking = true;
        // Over the Abort dialog: the frame and everything that belongs to it is disabled.
        const int nAnswer =
            CMessageBox::Show(&m_abortDlg, QString::fromUtf8(CWindowRunHost::kCloseQuestion),
                              CMessageBox::YesNo, CMessageBox::Question);
        m_bAsking = false;
        if (nAnswer == CMessageBox::IdYes) {
            m_abortDlg.m_bAborted = true;
            m_bCloseAfterRun = true;
        }
        return true;
    }

private:
    CAbortDlg& m_abortDlg;
    bool m_bAsking = false;
};

// Holds the log list's timers while set: a line appended schedules a layout of the whole
// list for the next round of events, so with timers let through the list would lay out all
// its lines every round. The timers repeat until handled, so a held one comes again.
class CLogHold final : public QObject {
public:
    bool m_bHolding = false;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (m_bHolding && pEvent->type() == QEvent::Timer) {
            return true;
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

}  // namespace

const char CWindowRunHost::kCloseQuestion[] =
    "A shredding run is in progress.\nAbort it and close Quorrel?\nThe file being overwritten "
    "keeps its length and stays, partly overwritten.";

CWindowRunHost::CWindowRunHost(QWidget& frame, QProgressBar& progress, CAbortDlg& abortDlg,
                               COutputBar& outputBar)
    : m_frame(frame), m_progress(progress), m_abortDlg(abortDlg), m_outputBar(outputBar) {}

CWindowRunHost::~CWindowRunHost() = default;

void CWindowRunHost::AddLine(const std::string& line) {
    m_outputBar.AddLine(line);
}

bool CWindowRunHost::IsAborted() {
    LetEventsThroughWhenDue();
    return m_abortDlg.m_bAborted;
}

void CWindowRunHost::KeepAlive() {
    LetEventsThroughWhenDue();
}

void CWindowRunHost::LetEventsThroughWhenDue() {
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs) {
        return;
    }
    // The lines written since the log was last shown are shown in one go: one layout of the
    // log (which lays out all its lines), one scroll, one repaint. Between those rounds the
    // log is held like the bar: painting it would lay it out.
    const bool bShowLog = !m_sinceLogShown.isValid() || m_sinceLogShown.elapsed() >= kLogIntervalMs;
    m_outputBar.LogList().setUpdatesEnabled(bShowLog);
    if (m_pLogHold) {
        static_cast<CLogHold&>(*m_pLogHold).m_bHolding = !bShowLog;
    }
    if (bShowLog) {
        m_outputBar.ShowLastLine();
        m_abortDlg.ShowProgress(
            m_runProgress.Facts(static_cast<double>(m_sinceRunBegan.elapsed()) / 1000.0));
        m_sinceLogShown.start();
    }
    // The bar repaints at once whenever its value moves visibly, and with it everything else
    // of the window waiting to be painted: between rounds it is held, and painted in the round.
    m_progress.setUpdatesEnabled(true);
    m_abortDlg.PumpEvents();
    m_progress.setUpdatesEnabled(false);
    m_sinceEvents.start();
}

void CWindowRunHost::SetProgressRange(std::int64_t nUpper) {
    m_runProgress.SetRange(nUpper);
    m_nUpper = nUpper;
    // An empty range would turn the bar into a busy indicator: an empty file shows 0 of 1.
    const std::int64_t nBar = nUpper <= 0 ? 1 : std::min<std::int64_t>(nUpper, kBarMaximum);
    m_progress.setRange(0, static_cast<int>(nBar));
}

void CWindowRunHost::OnPassStart(const std::string& path, int nPass, int nPasses) {
    m_runProgress.OnPassStart(path, nPass, nPasses);
}

void CWindowRunHost::SetProgressPos(std::int64_t nPos) {
    m_runProgress.SetPos(nPos);
    m_nPos = nPos;
    ShowPosition();
}

void CWindowRunHost::StepProgress(std::int64_t nBytes) {
    m_runProgress.Step(nBytes);
    m_nPos += nBytes;
    ShowPosition();
}

void CWindowRunHost::ShowPosition() {
    if (m_nUpper <= 0) {
        m_progress.setValue(0);
        return;
    }
    const long double fraction =
        static_cast<long double>(m_nPos) / static_cast<long double>(m_nUpper);
    m_progress.setValue(static_cast<int>(fraction * m_progress.maximum()));
}

void CWindowRunHost::BeginRun() {
    m_frame.setEnabled(false);
    DrawLogAsEnabled(true);
    m_runProgress.Begin();
    m_sinceRunBegan.start();
    m_abortDlg.ShowProgress(CProgressFacts{});
    m_pCloseRefusal = std::make_unique<CCloseRefusal>(m_abortDlg);
    m_frame.installEventFilter(m_pCloseRefusal.get());
    m_abortDlg.ResetAborted();
    // The dialog is no child of the frame (a disabled parent would disable its Cancel), but
    // it stays above the frame as its transient window.
    m_abortDlg.winId();
    if (m_abortDlg.windowHandle() != nullptr && m_frame.window()->windowHandle() != nullptr) {
        m_abortDlg.windowHandle()->setTransientParent(m_frame.window()->windowHandle());
    }
    m_abortDlg.show();
    const QRect frame = m_frame.frameGeometry();
    m_abortDlg.move(frame.center() - QPoint(m_abortDlg.width() / 2, m_abortDlg.height() / 2));
    m_abortDlg.raise();
    m_abortDlg.activateWindow();
    m_outputBar.SetDeferScrolling(true);
    m_pLogHold = std::make_unique<CLogHold>();
    m_outputBar.LogList().installEventFilter(m_pLogHold.get());
    m_progress.setUpdatesEnabled(false);
    m_sinceEvents.invalidate();
    m_sinceLogShown.invalidate();
}

void CWindowRunHost::EndRun() {
    bool bCloseAfterRun = false;
    if (m_pCloseRefusal) {
        bCloseAfterRun = static_cast<CCloseRefusal&>(*m_pCloseRefusal).m_bCloseAfterRun;
        m_frame.removeEventFilter(m_pCloseRefusal.get());
        m_pCloseRefusal.reset();
    }
    m_runProgress.End();
    if (m_pLogHold) {
        m_outputBar.LogList().removeEventFilter(m_pLogHold.get());
        m_pLogHold.reset();
    }
    m_outputBar.LogList().setUpdatesEnabled(true);
    m_outputBar.SetDeferScrolling(false);
    m_progress.setUpdatesEnabled(true);
    m_abortDlg.hide();
    m_frame.setEnabled(true);
    DrawLogAsEnabled(false);
    m_frame.raise();
    m_frame.activateWindow();
    if (bCloseAfterRun) {
        // Once the run's handler has written its closing lines and returned.
        QTimer::singleShot(0, &m_frame, [pFrame = &m_frame] { pFrame->window()->close(); });
    }
}

// A disabled list draws its lines grey on grey. During a run the frame is disabled to keep
// input out, but the log is the one detail the user has: it keeps the colours of an enabled
// one.
void CWindowRunHost::DrawLogAsEnabled(bool bEnabledLook) {
    QListWidget& log = m_outputBar.LogList();
    if (!bEnabledLook) {
        // A palette of no roles of its own hands the log back to the one it inherits.
        log.setPalette(m_bLogHadPalette ? m_logPalette : QPalette());
        return;
    }
    m_bLogHadPalette = log.testAttribute(Qt::WA_SetPalette);
    m_logPalette = log.palette();
    QPalette palette = m_logPalette;
    for (int nRole = 0; nRole < QPalette::NColorRoles; ++nRole) {
        const auto role = static_cast<QPalette::ColorRole>(nRole);
        palette.setBrush(QPalette::Disabled, role, palette.brush(QPalette::Active, role));
    }
    log.setPalette(palette);
}

}  // namespace quorrel

// The small modeless dialog whose Cancel stops a run at its next check.
#pragma once

#include <QDialog>

namespace quorrel {

class CAbortDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAbortDlg(QWidget* parent = nullptr);

    // Lets pending window events through (paint, timers, the Cancel click), then reports
    // whether Cancel was pressed since the run began. Never waits for an event.
    virtual bool IsAborted();
    // Lets pending window events through without asking for the flag.
    void PumpEvents();
    // Clears the flag: done by the run protocol before every run.
    void ResetAborted() { m_bAborted = false; }
    // Cancel, Escape and the close box all come here: they set the flag and nothing else;
    // the dialog stays until the run ends.
    void reject() override;

    bool m_bAborted = false;

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace quorrel

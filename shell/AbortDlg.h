// The small modeless dialog whose Cancel stops a run at its next check, and which shows how far
// the run has come.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace quorrel {

struct CProgressFacts;

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

    // Shows how far the run has come: the file in progress, its pass, the files and bytes
    // done of those counted, and the time left once it can be told. Empty facts (no pass
    // begun yet) show that the run is starting.
    void ShowProgress(const CProgressFacts& facts);

    bool m_bAborted = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_pFile;
    QLabel* m_pPass;
    QLabel* m_pFiles;
    QLabel* m_pBytes;
    QLabel* m_pTimeLeft;
    QProgressBar* m_pTotal;
};

}  // namespace quorrel

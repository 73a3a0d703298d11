// The main frame's status bar: the logo pane, the message pane with the prompts and the idle
// text, the lock-key indicators and the progress pane of the runs.
#pragma once

#include <QStatusBar>

#include <memory>

class QLabel;
class QProgressBar;
class QTimer;

namespace quorrel {

class CLockKeyReader;
class CXTIndicatorPane;
class CXTLogoPane;

class CMainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Makes the bar (object name "statusBar") in `parent` with, from the left, the logo pane,
    // the message pane showing the idle text, and an indicator for each lock key whose light
    // can be read, kept up to date while the bar lives.
    explicit CMainStatusBar(QWidget* parent);
    ~CMainStatusBar() override;

    // Adds the progress pane at the bar's right end. The frame adds it once its placement has
    // been applied, so the window's least size is measured without it, as it always was.
    void AddProgressPane();
    // The progress pane; AddProgressPane must have been called.
    QProgressBar& Progress() const { return *m_wndProgress; }

    // Shows `prompt` in the message pane; an empty prompt shows the idle text.
    void SetMessage(const QString& prompt);
    // What the message pane shows.
    QString Message() const;
    // The idle text: "For Help, press F1".
    static QString IdleMessage();

    // Tests: the folder the lock-key lights are read from for bars made later.
    static void SetLockLightsDir(const QString& dir);

private:
    void AddLockIndicators();
    void RefreshLockIndicators();

    CXTLogoPane* m_wndLogoPane = nullptr;
    QLabel* m_wndMessagePane = nullptr;
    QProgressBar* m_wndProgress = nullptr;
    // CAP, NUM and SCRL; null for a key whose state the system does not let us read.
    CXTIndicatorPane* m_wndIndicators[3] = {};
    std::unique_ptr<CLockKeyReader> m_pLockKeys;
    QTimer* m_pLockTimer = nullptr;
};

}  // namespace quorrel

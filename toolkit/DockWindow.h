// A docking window with a caption strip: a titled bar that docks on any side of the main
// window or floats, and that the user hides or expands with the two buttons of its caption.
#pragma once

#include <QDockWidget>

class QFrame;
class QMainWindow;

namespace quorrel {

class CXTDockTitleBar;

class CXTDockWindow : public QDockWidget {
    Q_OBJECT
public:
    // A window titled `title`. It is given its place by QMainWindow::addDockWidget.
    explicit CXTDockWindow(const QString& title, QWidget* parent = nullptr);
    ~CXTDockWindow() override;

    // Puts `pClient` inside the window, framed by a sunken edge when `bSunkenEdge` is set.
    void SetClient(QWidget* pClient, bool bSunkenEdge);
    CXTDockTitleBar& TitleBar() const { return *m_pTitleBar; }

    // Expanding gives the window all the room its main window can spare along its dock side;
    // contracting gives it back the size it had before. Only a docked window expands.
    bool IsExpanded() const { return m_bExpanded; }
    void Expand();
    void Contract();
    void ToggleExpanded();

private:
    QMainWindow* MainWindow() const;
    Qt::Orientation ResizeOrientation() const;
    int Extent() const;
    void UpdateExpandButton();
    void OnFocusChanged(QWidget* pOld, QWidget* pNow);

    CXTDockTitleBar* m_pTitleBar;
    QFrame* m_pEdge = nullptr;
    bool m_bExpanded = false;
    int m_nContractedExtent = 0;
};

}  // namespace quorrel

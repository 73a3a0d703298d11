// The main frame's bar layout, kept in the profile under "Control Bar State" when the window
// closes and applied again when it is made, so that the toolbar, the status bar and the action
// log bar come back on the side, in the place and at the size the user left them.
#pragma once

class QMainWindow;
class QStatusBar;
class QToolBar;

namespace quorrel {

class COutputBar;

class CBarLayout {
public:
    // The bars of `frame` that a layout places; all must outlive this object.
    struct SBars {
        QMainWindow& frame;
        QToolBar& menuBar;
        QToolBar& toolBar;
        COutputBar& outputBar;
        QStatusBar& statusBar;
    };

    explicit CBarLayout(const SBars& bars);

    // Applies the stored layout when it names no bar the frame lacks; what cannot be applied
    // keeps its default place.
    void Load();
    // Stores the bars' present layout.
    void Save() const;

private:
    SBars m_bars;
};

}  // namespace quorrel

// The main window's placement, kept in the profile when the window closes and given back to it
// when it is made, so that it opens where and as large as the user left it.
#pragma once

#include <QMargins>

class QWidget;

namespace quorrel {

class CFramePlacement {
public:
    // The placement of `window`, which must outlive this object.
    explicit CFramePlacement(QWidget& window);

    // Gives the window the placement stored in the profile (value "Window Position" of
    // section "Settings"), fitted to the screen it was on; a missing or damaged record, or one
    // the window cannot be made to fit, leaves the window as it is.
    void Load();
    // Stores the window's normal rectangle, and whether it is maximised, in the profile.
    void Save() const;

private:
    QMargins FrameMarginsGuess() const;

    QWidget& m_window;
};

}  // namespace quorrel

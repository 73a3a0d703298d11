// A list box of text lines that never scrolls sideways: a line wider than the box is cut at
// its right edge, neither wrapped nor shortened with an ellipsis.
#pragma once

#include <QListWidget>

namespace quorrel {

class CXTListBox : public QListWidget {
    Q_OBJECT
public:
    // An unsorted, single-selection list with a vertical scroll bar only.
    explicit CXTListBox(QWidget* parent = nullptr);

protected:
    // The view recomputes its scroll ranges here; the horizontal one is held at nothing.
    void updateGeometries() override;
};

}  // namespace quorrel

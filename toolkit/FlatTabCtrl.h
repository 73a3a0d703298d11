// A flat tab strip, drawn like the sheet tabs of a spreadsheet: slanted tabs that hang from the
// bottom edge of the pane above them, the current one joined to that pane.
#pragma once

#include <QTabBar>

namespace quorrel {

class CXTFlatTabCtrl : public QTabBar {
    Q_OBJECT
public:
    explicit CXTFlatTabCtrl(QWidget* parent = nullptr);

    // The strip's height in pixels; every tab is this high.
    void SetStripHeight(int nHeight);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QSize tabSizeHint(int nIndex) const override;
    QSize minimumTabSizeHint(int nIndex) const override { return tabSizeHint(nIndex); }
    void paintEvent(QPaintEvent* event) override;

private:
    // The outline of tab `nIndex`: a trapezoid, wider at the top where it meets the pane.
    QPolygonF TabShape(int nIndex) const;

    int m_nHeight;
};

}  // namespace quorrel

// A list box of text lines, one line per item: a line wider than the box can be scrolled to
// sideways and read whole in its tool tip, and the selected lines can be copied (Ctrl+C, or
// "Copy" in the box's context menu).
#pragma once

#include <QListWidget>

#include <vector>

class QAction;

namespace quorrel {

class CXTListBox : public QListWidget {
    Q_OBJECT
public:
    // An unsorted list with a vertical scroll bar and, when a line is wider than the box, a
    // horizontal one. Several lines may be selected, for copying.
    explicit CXTListBox(QWidget* parent = nullptr);

    // Appends one line; the widest line so far sets how far the box scrolls sideways.
    void AddLine(const QString& line);
    // The selected lines, top to bottom, joined by line feeds.
    QString SelectedText() const;
    // Puts the selected lines on the clipboard.
    void CopySelection();
    // The width of the widest line added, in pixels.
    int WidestLine() const { return m_nWidest; }

protected:
    bool viewportEvent(QEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    int LineWidth(const QString& line);

    QAction* m_pCopy;
    int m_nWidest = 0;
    // The advance of each printable ASCII character in the box's font; empty until measured.
    std::vector<qreal> m_asciiAdvances;
};

}  // namespace quorrel

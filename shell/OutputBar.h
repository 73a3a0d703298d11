// The action log bar: the dockable "Action Log Window", a running list of every step,
// success and failure the program reports. It is the program's only record of its work and
// is never written to disk.
#pragma once

#include <QSize>
#include <QString>

#include <string>

#include "toolkit/DockWindow.h"

class QListWidget;
class QTabBar;

namespace quorrel {

class CXTFlatTabCtrl;
class CXTListBox;

class COutputBar : public CXTDockWindow {
    Q_OBJECT
public:
    // A bar titled "Action Log Window" holding the log list over a tab strip with the single
    // tab "Action Log". The list starts with the one line "Log Begin...", not selected.
    explicit COutputBar(QWidget* parent = nullptr);
    ~COutputBar() override;

    // Appends `line` exactly as given (an empty line included) as the last line, selects it
    // and scrolls it into view, whatever the user had scrolled to or selected before. While
    // scrolling is deferred, the selecting and scrolling wait for ShowLastLine.
    void AddLine(QString line);
    // The same for a line that the engine built from bytes: its paths are shown as the list
    // shows them (DisplayPath), so a name that is not valid UTF-8 stays readable.
    void AddLine(const std::string& line);
    // Lines written in the source as literals are UTF-8 text.
    void AddLine(const char* pszLine);

    // While a run writes many lines, scrolling to each one would lay the list out again per
    // line: deferred, the lines are appended at once and shown by ShowLastLine. Ending the
    // deferral shows the last line.
    void SetDeferScrolling(bool bDefer);
    // Selects the last line and scrolls it into view, if lines came since it last did.
    void ShowLastLine();

    // Shows the log list for tab 0 and hides it for any other tab.
    void ShowLogList(int nTab);

    QListWidget& LogList() const;
    QTabBar& TabCtrl() const;
    // The height of the tab strip under the list.
    int TabsHeight() const { return m_cyTabs; }

    // The size the bar last had while it was shown docked; invalid until it has been shown
    // docked or given one. A bar that stays hidden keeps the size it will come back at.
    QSize LastDockedSize() const { return m_sizeDocked; }
    void SetLastDockedSize(const QSize& size) { m_sizeDocked = size; }

protected:
    void hideEvent(QHideEvent* pEvent) override;

private:
    CXTFlatTabCtrl* m_wndTabCtrl;
    CXTListBox* m_wndLogList;
    int m_cyTabs;
    QSize m_sizeDocked;
    bool m_bDeferScrolling = false;
    bool m_bScrollPending = false;
};

}  // namespace quorrel

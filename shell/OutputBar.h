// The action log bar: the dockable "Action Log Window", a running list of every step,
// success and failure the program reports. It is the program's only record of its work and
// is never written to disk.
#pragma once

#include <QString>

#include <string>

#include "DockWindow.h"

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
    // and scrolls it into view, whatever the user had scrolled to or selected before.
    void AddLine(QString line);
    // The same for a line that the engine built from bytes: its paths are shown as the list
    // shows them (DisplayPath), so a name that is not valid UTF-8 stays readable.
    void AddLine(const std::string& line);
    // Lines written in the source as literals are UTF-8 text.
    void AddLine(const char* pszLine);

    // Shows the log list for tab 0 and hides it for any other tab.
    void ShowLogList(int nTab);

    QListWidget& LogList() const;
    QTabBar& TabCtrl() const;
    // The height of the tab strip under the list.
    int TabsHeight() const { return m_cyTabs; }

private:
    CXTFlatTabCtrl* m_wndTabCtrl;
    CXTListBox* m_wndLogList;
    int m_cyTabs;
};

}  // namespace quorrel

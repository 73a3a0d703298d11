// The program's single main window.
#pragma once

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>

#include "shell/FramePlacement.h"
#include "toolkit/ImageList.h"

class QAction;
class QMenu;
class QMenuBar;
class QProgressBar;
class QSplitter;
class QToolBar;
class QUrl;

namespace quorrel {

class CAbortDlg;
class CBarLayout;
class CMainStatusBar;
class COutputBar;
class CWindowRunHost;
class CWipeEngine;
class CQuorrelView;
class CXTCaption;
class CXTOutBarCtrl;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the client area, bars, panes and progress control, and gives the window the
    // placement and the bar layout kept in the profile; false when the sidebar could not be
    // put into its pane. A second call changes nothing and answers true.
    bool Create();

    // The list view: the frame's one (and so always active) view.
    CQuorrelView* GetActiveView() const;
    // The action log bar.
    COutputBar& OutputBar() const;
    // The progress bar in the status bar's last pane.
    QProgressBar& Progress() const;
    // The action of command `nCommandId` (the command IDs of CommandIds.h); null for none.
    QAction* Action(int nCommandId) const;

    // Shredding runs. Each asks its question first; a run disables the frame and shows the
    // Abort dialog while it works, and writes every step to the action log.
    void OnWipeSelected();
    void OnWipeAll();
    void OnWipeFolder();
    // Asks whether to shred what the user has in every recycle bin (No is the default), naming
    // each bin with its entries and size; on Yes shreds them, then empties each bin.
    void OnWipeRecycleBin();
    // Asks for a folder (starting at the home folder), then whether to wipe the free space of
    // its file system (No is the default), then fills that free space and removes the fill.
    void OnWipeFreeSpace();
    // Fill the list from a multiple-selection file chooser or a folder chooser; paths already
    // in the list are refused with a log line each.
    void OnAddFiles();
    // The folder chooser starts at the folder chosen last (else the home folder); a chosen
    // path that is no existing folder is refused with a log line.
    void OnAddFolder();
    // The modeless Abort dialog of the runs.
    CAbortDlg& AbortDialog() const;

    // Edit commands. Remove Selected deletes every selected row without asking; Remove All
    // asks first and empties the list on Yes; Select All selects every row.
    void OnRemoveSelected();
    void OnRemoveAll();
    void OnSelectAll();
    // Shows the list's context menu at `globalPos`; a request from the keyboard opens it 5
    // pixels right of and below the top-left corner of the frame's client area instead.
    void OnContextMenu(const QPoint& globalPos, bool bFromKeyboard);
    // Opens the help (the HTML help that ships with the program) in the desktop's browser.
    void OnHelpFinder();
    // Re-applies the enabling rules of the list commands; the list's changes call it.
    void UpdateCommandUI();

    // The text of the status bar's message pane: the prompt of the command under the pointer,
    // else the idle text "For Help, press F1".
    QString StatusMessage() const;

    // Where the help is looked up: installed beside the program (share/quorrel/help) first,
    // then in the source tree it was built from; empty when neither holds it.
    static QString HelpFilePath();
    // Tests: what opens a URL in the desktop's browser (true when it could); null restores
    // the desktop's own. The same opener serves the About box's links.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static void SetUrlOpener(UrlOpener opener);
    // The frame offers no menu of its own bars: the View menu shows and hides them, and a
    // right click anywhere in the frame opens the list's menu instead.
    QMenu* createPopupMenu() override;

    // The menu bar, inside the movable bar that carries it (QMainWindow::menuBar() is not it).
    QMenuBar* MenuBar() const { return m_wndMenuBar; }

protected:
    bool event(QEvent* pEvent) override;
    // Watches the pointer over the frame's menus: greyed items explain themselves too.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // Client area: splitters, sidebar pane, caption band, list view (MainFrame.cpp).
    bool OnCreateClient();
    void CreateCaption();
    // The sidebar in the outer splitter's left pane, its signals answered by the frame
    // (MainFrameOutBar.cpp): a click runs the command the clicked shortcut stands for,
    // wherever it now sits; a removal is asked about first; every other change is allowed.
    bool BuildOutBar();
    // Fills the sidebar with its two default folders and their shortcuts.
    void FillOutBar();
    // Puts the sidebar's folders back as at the start, whatever was removed or renamed: the
    // way back from an empty sidebar.
    void OnRestoreOutBar();
    // The command of item `nIndex` of the sidebar's selected folder; 0 for none.
    int OutBarItemCommand(int nIndex) const;
    void RunOutBarCommand(int nCommandId);
    // Commands, menus and toolbar (MainFrameCommands.cpp).
    void CreateCommands();
    QAction* CreateCommand(int nCommandId);
    void CreateMenuBar();
    QMenu* AddMenu(const QString& title, const char* pszObjectName,
                   std::initializer_list<int> commands);
    void CreateToolBar();
    void ConnectCommands();
    void OnUpdateListHasSelection(QAction* pAction);
    void OnUpdateListNotEmpty(QAction* pAction);
    void UpdateViewChecks();
    void OnViewBar(int nCommandId, bool bShow);
    // Shift+F10, the other key that asks for a context menu (MainFrameList.cpp).
    void CreateContextMenuKey();
    // The refusal of dropped files (MainFrameList.cpp).
    void OnDropFiles();
    // Runs and the add commands (MainFrameRuns.cpp).
    void ConnectRunCommands();
    CWipeEngine& Engine();
    bool AskYesNo(const char* pszQuestion);
    bool AskDestroy(const QString& question);
    void AddPath(const QByteArray& path, bool bFolder);

    COutputBar* m_wndOutputBar = nullptr;
    CMainStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QMenuBar* m_wndMenuBar = nullptr;
    // The movable bar the menu bar lives in.
    QToolBar* m_wndMenuBarHost = nullptr;
    // The left pane of the outer splitter, where the sidebar lives.
    QWidget* m_wndOutBarPane = nullptr;
    // The sidebar's icons at 32 and 16 pixels, in the order of its image indexes.
    CImageList m_imlLarge;
    CImageList m_imlSmall;
    CXTOutBarCtrl* m_wndOutBar = nullptr;
    QSplitter* m_wndSplitter = nullptr;
    QSplitter* m_wndRightSplitter = nullptr;
    CXTCaption* m_wndCaption = nullptr;
    // The sidebar column's ideal width, taken when the client area is built and given to the
    // splitter once it has its real width (when the frame is first shown); -1 once given.
    int m_nOutBarIdealWidth = -1;
    // The folder Add Folder took last: its chooser starts there next time.
    QString m_strLastAddedFolder;

    CQuorrelView* m_pView = nullptr;
    QHash<int, QAction*> m_actions;
    // The window's placement and the bars' layout in the profile: read in Create, written
    // when the window closes.
    CFramePlacement m_placement{*this};
    std::unique_ptr<CBarLayout> m_pBarLayout;
    // No parent widget: a run disables the frame, and the dialog must stay usable.
    std::unique_ptr<CAbortDlg> m_dlgAbort;
    std::unique_ptr<CWindowRunHost> m_pRunHost;
    std::unique_ptr<CWipeEngine> m_pEngine;
};

}  // namespace quorrel

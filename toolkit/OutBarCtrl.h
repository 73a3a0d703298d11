// The sidebar: a stack of folder headers with, under the selected folder's header, that folder's
// items drawn as icons with labels, large or small. Everything the user does to it is reported
// through the control's signals; the receiver of a signal that carries an answer may refuse the
// change (see SXTOutBarInfo and the signals).
#pragma once

#include <QBasicTimer>
#include <QList>
#include <QString>
#include <QWidget>

class QLineEdit;

namespace quorrel {

class CImageList;

// The record every signal carries: the folder or item concerned and its text (for a rename,
// the new text).
struct SXTOutBarInfo {
    int nIndex = -1;
    QString text;
};

class CXTOutBarCtrl : public QWidget {
    Q_OBJECT
public:
    // Feature flags, given at creation. 0x40 and 0x80 are accepted and kept, and change
    // nothing: this sidebar offers neither adding folders nor dragging items.
    enum EFlags : quint32 {
        FlagSmallIcons = 0x01,
        FlagRenameFolders = 0x04,
        FlagRenameItems = 0x08,
        FlagRemoveFolders = 0x10,
        FlagRemoveItems = 0x20,
        FlagAnimate = 0x100,
        FlagsDefault = 0xFC,
    };
    // What a point of the control is over (HitTest).
    enum EHit { HitNone = -1, HitFolder = 0, HitItem = 1, HitUpArrow = 2, HitDownArrow = 3 };

    explicit CXTOutBarCtrl(QWidget* parent = nullptr);
    ~CXTOutBarCtrl() override;

    // Places the control at `rect` in `pParent` with the feature flags `dwFlags`, and shows
    // it. False when there is no parent to put it in.
    bool Create(const QRect& rect, QWidget* pParent, quint32 dwFlags = FlagsDefault);
    quint32 GetFlags() const { return m_dwFlags; }

    // The image lists the items' icons come from (not owned; they must outlive the control).
    void SetImageList(const CImageList* pImageList, bool bLarge);
    const CImageList* GetImageList(bool bLarge) const;

    // Appends a folder of items; its index. The first folder added becomes the selected one.
    int AddFolder(const QString& text, quint32 dwData);
    // Inserts an item at `nIndex` of folder `nFolder` (past the end: appended); its index, or
    // -1 when there is no such folder.
    int InsertItem(int nFolder, int nIndex, const QString& text, int nImage, quint32 dwData);

    int GetFolderCount() const { return static_cast<int>(m_folders.size()); }
    QString GetFolderText(int nFolder) const;
    // The items of the selected folder (of folder `nFolder`); 0 when there is none.
    int GetItemCount() const { return GetItemCount(m_nSelFolder); }
    int GetItemCount(int nFolder) const;
    // Item `nIndex` of the selected folder: text, image and data; empty, -1 and 0 for none.
    QString GetItemText(int nIndex) const;
    int GetItemImage(int nIndex) const;
    quint32 GetItemData(int nIndex) const;

    // Selects folder `nFolder` after asking (FolderChanging); false when there is no such
    // folder or the answer refused it.
    bool SetSelFolder(int nFolder);
    int GetSelFolder() const { return m_nSelFolder; }
    // The selected folder's first item on show (its scroll position).
    int GetFirstVisibleItem() const { return m_nFirstItem; }
    // The last clicked item of the selected folder; -1 for none.
    int GetHighlightedItem() const { return m_nHighlight; }
    // The item the keyboard is on (Up/Down move it, Enter or Space click it); -1 for none.
    int GetFocusItem() const { return m_nFocusItem; }
    // The folder header and the item under the pointer; -1 for none.
    int GetHoverFolder() const { return m_nHoverFolder; }
    int GetHoverItem() const { return m_nHoverItem; }

    // Large (32-pixel) or small (16-pixel) icons for every folder.
    void SetSmallIconView(bool bSmall);
    bool IsSmallIconView() const { return (m_dwFlags & FlagSmallIcons) != 0; }

    // Removes item `nIndex` of the selected folder (folder `nFolder`) after asking
    // (ItemRemoving, FolderRemoving); false when there is none or the answer refused it. When
    // the removal of a folder moves the selection (the selected folder went, or one above it),
    // FolderChanging tells of the new selection afterwards (-1 once no folder is left); its
    // answer is not heeded.
    bool RemoveItem(int nIndex);
    bool RemoveFolder(int nFolder);
    // Removes every folder without asking: for an owner that fills the control afresh. Once
    // no folder is left, the context menu offers the actions the owner added to the control
    // (QWidget::addAction) after its own entries.
    void RemoveAllFolders();

    // Opens the in-place editor on the label of item `nIndex` of the selected folder (of the
    // header of folder `nFolder`), its whole text selected. Return ends it and asks
    // (ItemRenamed, FolderRenamed) whether the new text may stay; Escape drops it.
    void EditItemText(int nIndex);
    void EditFolderText(int nFolder);
    // The in-place editor while one is open; null otherwise.
    QLineEdit* Editor() const { return m_pEditor; }

    // What `point` is over, with the folder's or item's index in `*pIndex` (-1 for none).
    int HitTest(const QPoint& point, int* pIndex = nullptr) const;
    // Where folder `nFolder`'s header is drawn.
    QRect GetFolderRect(int nFolder) const;
    // Where item `nIndex` of the selected folder is drawn: its icon, its label, and the two
    // together; empty when it is scrolled out of sight.
    QRect GetIconRect(int nIndex) const;
    QRect GetLabelRect(int nIndex) const;
    QRect GetItemRect(int nIndex) const;
    // The scroll arrows; empty while the arrow is not shown.
    QRect GetArrowRect(bool bUp) const;
    // The area below the selected folder's header where its items go.
    QRect GetItemsArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // What the user does to the control, each reported before it takes effect (except as
    // said). Every signal carries an answer, `*pAllow`, which starts as a refusal: a receiver
    // lets the change happen by setting it to true, so a control that nobody listens to
    // changes nothing. Connect them directly (the default for a receiver in the same thread):
    // the answer is read as soon as the signal returns. A receiver may run a whole command,
    // even one that takes the control down: nothing of the control is touched after that.
    //
    // An item was clicked; refused, it is not highlighted.
    void ItemClicked(const SXTOutBarInfo& info, bool* pAllow);
    // An item's label was edited; `info.text` is the new text, which a refusal drops.
    void ItemRenamed(const SXTOutBarInfo& info, bool* pAllow);
    // A folder's label was edited; `info.text` is the new text, which a refusal drops.
    void FolderRenamed(const SXTOutBarInfo& info, bool* pAllow);
    // A folder is about to become the selected one; also sent after a folder removal moved
    // the selection, when the answer is not heeded.
    void FolderChanging(const SXTOutBarInfo& info, bool* pAllow);
    // The highlighted item is about to change.
    void HighlightChanging(const SXTOutBarInfo& info, bool* pAllow);
    // An item, or a folder, is about to be removed.
    void ItemRemoving(const SXTOutBarInfo& info, bool* pAllow);
    void FolderRemoving(const SXTOutBarInfo& info, bool* pAllow);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    // OutBarCtrlKeys.cpp: the keyboard.
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;

private:
    struct SItem {
        QString text;
        int nImage = -1;
        quint32 dwData = 0;
    };
    struct SFolder {
        QString text;
        quint32 dwData = 0;
        QList<SItem> items;
    };
    // The item or header being pressed, and whether the pointer is still on it.
    struct SPress {
        int nHit = HitNone;
        int nIndex = -1;
        bool bInside = false;
    };

    // OutBarCtrl.cpp: model and signals.
    // Emits `signal` with `nIndex` and `text`; the receivers' answer.
    using ASignal = void (CXTOutBarCtrl::*)(const SXTOutBarInfo&, bool*);
    bool Ask(ASignal signal, int nIndex, const QString& text);
    const SItem* Item(int nIndex) const;
    void SetHighlight(int nIndex);
    void ClampFirstItem();
    void ShowFolderFromTop();
    void ClearHover();
    // OutBarCtrlLayout.cpp: geometry.
    int HeaderHeight() const;
    int LabelLineHeight() const;
    int ItemHeight(int nIndex) const;
    int ItemTop(int nIndex) const;
    QRect LabelTextRect(int nIndex, const QRect& slot) const;
    // The lines a label is drawn in under a large icon, `nWidth` pixels wide at most.
    QStringList LabelLines(int nIndex, int nWidth) const;
    bool ItemsOverflow() const;
    bool Scroll(int nDelta);
    // OutBarCtrlPaint.cpp: drawing.
    void DrawBackground(QPainter& painter) const;
    void DrawFolder(QPainter& painter, int nFolder) const;
    void DrawItems(QPainter& painter) const;
    void DrawItem(QPainter& painter, int nIndex) const;
    void DrawItemFrame(QPainter& painter, const QRect& rect, int nIndex) const;
    void DrawArrow(QPainter& painter, bool bUp) const;
    void DrawFocus(QPainter& painter) const;
    void SetFocusItem(int nIndex);
    void ClickFocusItem();
    // OutBarCtrlMouse.cpp: pointer, timers, menu and editor.
    void UpdateHover(const QPoint& point);
    void UpdatePress(const QPoint& point);
    void FinishPress(const QPoint& point);
    void ShowContextMenu(const QPoint& point, const QPoint& globalPos);
    void OpenEditor(int nHit, int nIndex, const QRect& rect, const QString& text);
    void EndEdit(bool bCommit);

    QList<SFolder> m_folders;
    int m_nSelFolder = -1;
    int m_nFirstItem = 0;
    int m_nHighlight = -1;
    int m_nFocusItem = -1;
    int m_nHoverFolder = -1;
    int m_nHoverItem = -1;
    SPress m_press;
    QPoint m_ptLast;
    quint32 m_dwFlags = FlagsDefault;
    const CImageList* m_pLarge = nullptr;
    const CImageList* m_pSmall = nullptr;
    // 100 ms: notices the pointer leaving (timer 1). 300 ms: repeats a held arrow (timer 2).
    QBasicTimer m_timerHover;
    QBasicTimer m_timerScroll;
    QLineEdit* m_pEditor = nullptr;
    int m_nEditHit = HitNone;
    int m_nEditIndex = -1;
};

}  // namespace quorrel

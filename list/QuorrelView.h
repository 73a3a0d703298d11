// The file list: the view of the entries waiting to be destroyed.
#pragma once

#include <QByteArray>
#include <QTreeView>
#include <utility>
#include <vector>

#include "list/ListEntry.h"

namespace quorrel {

class CFileListModel;
class CSortHeader;

// The list view. Paths are kept byte for byte (QByteArray): a path is never transformed on
// its way into the list, so a later run finds the same file. Rows are addressed by index,
// 0 being the top row; a new row always goes on top.
class CQuorrelView : public QTreeView {
    Q_OBJECT
public:
    explicit CQuorrelView(QWidget* parent = nullptr);
    ~CQuorrelView() override;

    // True when a row's path equals `path` exactly (case-sensitive, byte for byte).
    bool ContainsPath(const QByteArray& path) const;
    // Inserts a row for `path` at the top. Does not check for duplicates: call ContainsPath.
    void AddEntry(const QByteArray& path, ItemKind kind);
    // Rows, selected rows.
    int GetItemCount() const;
    int GetSelectedCount() const;
    // The first selected row below `nStart` (-1: from the top); -1 when there is none.
    int GetNextItem(int nStart) const;
    // The row's path, byte for byte.
    QByteArray GetItemPath(int nRow) const;
    // The text a row shows in column `nColumn` (0 Name, 1 Path, 2 Type).
    QString GetItemText(int nRow, int nColumn) const;
    // Removes one row (the rows below move up), or every row.
    void DeleteItem(int nRow);
    // Removes `nCount` rows from `nFirst` in one step (one relayout of the view, not one per
    // row); nothing happens unless all of them exist.
    void DeleteItems(int nFirst, int nCount);
    // Removes every selected row in one step, in time linear in the rows.
    void DeleteSelectedItems();
    void DeleteAllItems();
    // Selects or deselects one row; selects every row.
    void SetItemSelected(int nRow, bool bSelected);
    void SelectAllItems();

signals:
    // The rows or the selection changed: the frame refreshes its enabling rules.
    void ListChanged();

protected:
    // Draws the row, then its grid lines.
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    // The selected rows as sorted, disjoint [first, last] spans.
    std::vector<std::pair<int, int>> SelectedSpans() const;
    void ConnectChangeSignals();

    CFileListModel* m_pModel;
    CSortHeader* m_pHeader;
};

}  // namespace quorrel

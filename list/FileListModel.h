// The rows of the file list, for the list view. Each row is a path (bytes, the row's identity)
// and the kind of object it names; Name and Type are derived from them for display and sorting.
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QList>
#include <array>
#include <utility>
#include <vector>

#include "list/ListEntry.h"

namespace quorrel {

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum EColumn { kColumnName = 0, kColumnPath = 1, kColumnType = 2, kColumnCount = 3 };
    // The role under which a row gives its path as bytes (QByteArray), in every column.
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit CFileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Only the columns' text alignment can be set (Qt::TextAlignmentRole); it applies to the
    // column's header and to its cells alike.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Removes `count` rows from `row`; the rows below move up.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Reorders the rows once by the text of `column`, without regard to ASCII case; equal rows
    // keep their order. Rows move whole (persistent indexes, and so the selection, follow
    // them). Rows added later still go on top: the list is not kept sorted.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Inserts a row for `path` as row 0. Does not check for duplicates.
    void InsertTop(const QByteArray& path, ItemKind kind);
    // Removes every row.
    void RemoveAll();
    // Removes the rows of `spans` (sorted, disjoint [first, last] pairs of existing rows) in
    // one step: the rows left keep their order, and indexes to them follow them.
    void RemoveSpans(const std::vector<std::pair<int, int>>& spans);
    // True when a row's path equals `path` byte for byte. Answered from an index of the rows'
    // paths, so it costs one look-up, not a pass over the rows.
    bool ContainsPath(const QByteArray& path) const;
    // The row's path; an empty path for a row that does not exist.
    QByteArray PathAt(int nRow) const;
    // The text row `nRow` shows in `nColumn`; empty when there is no such cell.
    QString TextAt(int nRow, int nColumn) const;

private:
    struct CRow {
        QByteArray path;
        ItemKind kind;
    };

    bool IsRow(int nRow) const { return nRow >= 0 && nRow < m_rows.size(); }
    QByteArray SortKey(const CRow& row, int nColumn) const;
    void ForgetPath(const QByteArray& path);

    // Qt 6's list keeps free room at its front, so inserting at the top stays cheap.
    QList<CRow> m_rows;
    // How many rows hold each path (AddEntry does not refuse duplicates, its callers do).
    QHash<QByteArray, int> m_pathCounts;
    std::array<Qt::Alignment, kColumnCount> m_alignments;
    QList<QIcon> m_images;
};

}  // namespace quorrel

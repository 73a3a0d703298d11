#include "list/FileListModel.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "list/PathText.h"
#include "list/RowImages.h"

namespace quorrel {

namespace {

QString ColumnTitle(int nColumn) {
    switch (nColumn) {
        case CFileListModel::kColumnName:
            return CFileListModel::tr("Name");
        case CFileListModel::kColumnPath:
            return CFileListModel::tr("Path");
        default:
            return CFileListModel::tr("Type");
    }
}

}  // namespace

CFileListModel::CFileListModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_alignments{Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight},
      m_images(CreateRowImages()) {}

int CFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !IsRow(index.row())) {
        return {};
    }
    const CRow& row = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return TextAt(index.row(), index.column());
        case Qt::ToolTipRole:
            // The Path column is often too narrow for the whole path.
            return index.column() == kColumnType ? QVariant() : QVariant(DisplayPath(row.path));
        case Qt::DecorationRole:
            return index.column() == kColumnName ? QVariant(m_images[KindImage(row.kind)])
                                                 : QVariant();
        case Qt::TextAlignmentRole:
            return static_cast<int>(m_alignments[index.column()] | Qt::AlignVCenter);
        case kPathRole:
            return row.path;
        default:
            return {};
    }
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return ColumnTitle(section);
        case Qt::TextAlignmentRole:
            return static_cast<int>(m_alignments[section] | Qt::AlignVCenter);
        case Qt::InitialSortOrderRole:
            return static_cast<int>(Qt::AscendingOrder);
        default:
            return {};
    }
}

bool CFileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount ||
        role != Qt::TextAlignmentRole) {
        return false;
    }
    const Qt::Alignment horizontal =
        Qt::Alignment(value.toInt()) & (Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignRight);
    if (horizontal != Qt::AlignLeft && horizontal != Qt::AlignHCenter &&
        horizontal != Qt::AlignRight) {
        return false;
    }
    m_alignments[section] = horizontal;
    emit headerDataChanged(Qt::Horizontal, section, section);
    if (!m_rows.isEmpty()) {
        emit dataChanged(index(0, section), index(rowCount() - 1, section),
                         {Qt::TextAlignmentRole});
    }
    return true;
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool CFileListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || count <= 0 || row < 0 || row + count > m_rows.size()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int k = row; k < row + count; ++k) {
        ForgetPath(m_rows[k].path);
    }
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
    return true;
}

QByteArray CFileListModel::SortKey(const CRow& row, int nColumn) const {
    // Folding only A to Z keeps the order of every other byte, which for valid UTF-8 is the
    // order of the characters themselves.
    switch (nColumn) {
        case kColumnName:
            return EntryName(row.path).toLower();
        case kColumnPath:
            return row.path.toLower();
        default:
            return KindText(row.kind).toLatin1().toLower();
    }
}

void CFileListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount || m_rows.size() < 2) {
        return;
    }
    const int nCount = static_cast<int>(m_rows.size());
    std::vector<QByteArray> keys(nCount);
    for (int k = 0; k < nCount; ++k) {
        keys[k] = SortKey(m_rows[k], column);
    }
    std::vector<int> fromRow(nCount);
    std::iota(fromRow.begin(), fromRow.end(), 0);
    const bool bAscending = order == Qt::AscendingOrder;
    std::stable_sort(fromRow.begin(), fromRow.end(), [&](int a, int b) {
        return bAscending ? keys[a] < keys[b] : keys[b] < keys[a];
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> toRow(nCount);
    QList<CRow> sorted;
    sorted.reserve(nCount);
    for (int k = 0; k < nCount; ++k) {
        toRow[fromRow[k]] = k;
        sorted.append(m_rows[fromRow[k]]);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(index(toRow[old.row()], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFileListModel::InsertTop(const QByteArray& path, ItemKind kind) {
    beginInsertRows(QModelIndex(), 0, 0);
    m_rows.prepend(CRow{path, kind});
    ++m_pathCounts[path];
    endInsertRows();
}

void CFileListModel::RemoveSpans(const std::vector<std::pair<int, int>>& spans) {
    if (spans.size() == 1) {
        removeRows(spans.front().first, spans.front().second - spans.front().first + 1);
        return;
    }
    // One change of layout rather than one removal per span, each of which would make the
    // view and the selection mend all they hold.
    emit layoutAboutToBeChanged();
    std::vector<int> newRows(static_cast<std::size_t>(m_rows.size()), -1);
    QList<CRow> kept;
    auto span = spans.begin();
    for (int nRow = 0; nRow < m_rows.size(); ++nRow) {
        while (span != spans.end() && span->second < nRow) {
            ++span;
        }
        if (span != spans.end() && span->first <= nRow) {
            ForgetPath(m_rows[nRow].path);
        } else {
            newRows[static_cast<std::size_t>(nRow)] = static_cast<int>(kept.size());
            kept.append(m_rows[nRow]);
        }
    }
    m_rows = std::move(kept);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int nRow = newRows[static_cast<std::size_t>(index.row())];
        after.append(nRow < 0 ? QModelIndex() : createIndex(nRow, index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void CFileListModel::RemoveAll() {
    beginResetModel();
    m_rows.clear();
    m_pathCounts.clear();
    endResetModel();
}

bool CFileListModel::ContainsPath(const QByteArray& path) const {
    return m_pathCounts.contains(path);
}

QByteArray CFileListModel::PathAt(int nRow) const {
    return IsRow(nRow) ? m_rows[nRow].path : QByteArray();
}

QString CFileListModel::TextAt(int nRow, int nColumn) const {
    if (!IsRow(nRow)) {
        return {};
    }
    const CRow& row = m_rows[nRow];
    switch (nColumn) {
        case kColumnName:
            return DisplayPath(EntryName(row.path));
        case kColumnPath:
            return DisplayPath(row.path);
        case kColumnType:
            return KindText(row.kind);
        default:
            return {};
    }
}

void CFileListModel::ForgetPath(const QByteArray& path) {
    const auto found = m_pathCounts.find(path);
    if (found != m_pathCounts.end() && --found.value() <= 0) {
        m_pathCounts.erase(found);
    }
}

}  // namespace quorrel

#include "list/QuorrelView.h"

#include <QItemSelectionModel>
#include <QPainter>
#include <algorithm>

#include "list/FileListModel.h"
#include "list/SortHeader.h"

namespace quorrel {

namespace {

// Widths of "Name", "Path" and "Type", in pixels.
constexpr int kColumnWidths[CFileListModel::kColumnCount] = {180, 400, 100};

}  // namespace

CQuorrelView::CQuorrelView(QWidget* parent)
    : QTreeView(parent), m_pModel(new CFileListModel(this)), m_pHeader(new CSortHeader(this)) {
    setObjectName(QStringLiteral("listView"));
    setHeader(m_pHeader);
    setModel(m_pModel);
    // A flat report list: no tree decoration, whole rows selected, several at once.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The header sorts once per click and the list is not kept sorted, so the view's own
    // sorting stays off; turning it off also makes the header unclickable, so undo that.
    setSortingEnabled(false);
    m_pHeader->setSectionsClickable(true);
    setIconSize(QSize(16, 16));
    for (int nColumn = 0; nColumn < CFileListModel::kColumnCount; ++nColumn) {
        m_pHeader->resizeSection(nColumn, kColumnWidths[nColumn]);
    }
    ConnectChangeSignals();
}

CQuorrelView::~CQuorrelView() = default;

void CQuorrelView::ConnectChangeSignals() {
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CQuorrelView::ListChanged);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CQuorrelView::ListChanged);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CQuorrelView::ListChanged);
    connect(m_pModel, &QAbstractItemModel::layoutChanged, this, &CQuorrelView::ListChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CQuorrelView::ListChanged);
}

bool CQuorrelView::ContainsPath(const QByteArray& path) const {
    return m_pModel->ContainsPath(path);
}

void CQuorrelView::AddEntry(const QByteArray& path, ItemKind kind) {
    m_pModel->InsertTop(path, kind);
}

int CQuorrelView::GetItemCount() const {
    return m_pModel->rowCount();
}

std::vector<std::pair<int, int>> CQuorrelView::SelectedSpans() const {
    std::vector<std::pair<int, int>> spans;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid()) {
            spans.emplace_back(range.top(), range.bottom());
        }
    }
    std::sort(spans.begin(), spans.end());
    // Cells of one row may sit in several ranges; a row counts once.
    std::vector<std::pair<int, int>> merged;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, span.second);
        } else {
            merged.push_back(span);
        }
    }
    return merged;
}

int CQuorrelView::GetSelectedCount() const {
    int nCount = 0;
    for (const auto& span : SelectedSpans()) {
        nCount += span.second - span.first + 1;
    }
    return nCount;
}

int CQuorrelView::GetNextItem(int nStart) const {
    const int nFirst = std::max(nStart + 1, 0);
    for (const auto& span : SelectedSpans()) {
        if (span.second >= nFirst) {
            return std::max(span.first, nFirst);
        }
    }
    return -1;
}

QByteArray CQuorrelView::GetItemPath(int nRow) const {
    return m_pModel->PathAt(nRow);
}

QString CQuorrelView::GetItemText(int nRow, int nColumn) const {
    return m_pModel->TextAt(nRow, nColumn);
}

void CQuorrelView::DeleteItem(int nRow) {
    m_pModel->removeRows(nRow, 1);
}

void CQuorrelView::DeleteItems(int nFirst, int nCount) {
    m_pModel->removeRows(nFirst, nCount);
}

void CQuorrelView::DeleteSelectedItems() {
    const std::vector<std::pair<int, int>> spans = SelectedSpans();
    if (!spans.empty()) {
        m_pModel->RemoveSpans(spans);
    }
}

void CQuorrelView::DeleteAllItems() {
    m_pModel->RemoveAll();
}

void CQuorrelView::SetItemSelected(int nRow, bool bSelected) {
    if (nRow < 0 || nRow >= GetItemCount()) {
        return;
    }
    // Only the selection changes: the focus row stays where it is.
    selectionModel()->select(m_pModel->index(nRow, 0), (bSelected ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect) |
                                                           QItemSelectionModel::Rows);
}

void CQuorrelView::SelectAllItems() {
    const int nCount = GetItemCount();
    if (nCount == 0) {
        return;
    }
    const QItemSelection all(m_pModel->index(0, 0),
                             m_pModel->index(nCount - 1, CFileListModel::kColumnCount - 1));
    selectionModel()->select(all, QItemSelectionModel::Select);
}

void CQuorrelView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    const int nGridHint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    painter->save();
    painter->setPen(QColor::fromRgba(static_cast<QRgb>(nGridHint)));
    const int nTop = option.rect.top();
    const int nBottom = option.rect.bottom();
    int nLeft = option.rect.right();
    int nRight = option.rect.left();
    for (int nVisual = 0; nVisual < m_pHeader->count(); ++nVisual) {
        const int nLogical = m_pHeader->logicalIndex(nVisual);
        if (m_pHeader->isSectionHidden(nLogical)) {
            continue;
        }
        const int nStart = m_pHeader->sectionViewportPosition(nLogical);
        const int nEdge = nStart + m_pHeader->sectionSize(nLogical) - 1;
        painter->drawLine(nEdge, nTop, nEdge, nBottom);
        nLeft = std::min(nLeft, nStart);
        nRight = std::max(nRight, nEdge);
    }
    painter->drawLine(nLeft, nBottom, nRight, nBottom);
    painter->restore();
}

}  // namespace quorrel

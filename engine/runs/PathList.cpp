#include "engine/runs/PathList.h"

#include <algorithm>
#include <stdexcept>

namespace quorrel {

CPathList::CPathList(const std::vector<std::string>& paths, bool bSelected) {
    m_rows.reserve(paths.size());
    for (const std::string& path : paths) {
        m_rows.push_back({path, bSelected});
    }
}

const CPathList::CRow& CPathList::At(std::size_t nRow) const {
    return m_rows[nRow < m_nGapStart ? nRow : nRow + (m_nGapEnd - m_nGapStart)];
}

CPathList::CRow& CPathList::Checked(int nRow) {
    if (nRow < 0 || static_cast<std::size_t>(nRow) >= Count()) {
        throw std::out_of_range("no such row in the list");
    }
    return const_cast<CRow&>(
        static_cast<const CPathList&>(*this).At(static_cast<std::size_t>(nRow)));
}

void CPathList::MoveGapTo(std::size_t nRow) {
    const auto rows = m_rows.begin();
    using Offset = std::vector<CRow>::difference_type;
    if (m_nGapStart == m_nGapEnd) {
        m_nGapEnd = nRow;  // an empty gap goes anywhere without moving a row
    } else if (nRow < m_nGapStart) {
        // Rows [nRow, gap start) go to just before the gap's end.
        std::move_backward(rows + static_cast<Offset>(nRow),
                           rows + static_cast<Offset>(m_nGapStart),
                           rows + static_cast<Offset>(m_nGapEnd));
        m_nGapEnd -= m_nGapStart - nRow;
    } else if (nRow > m_nGapStart) {
        // The rows right after the gap come up to its start.
        const std::size_t nMoved = nRow - m_nGapStart;
        std::move(rows + static_cast<Offset>(m_nGapEnd),
                  rows + static_cast<Offset>(m_nGapEnd + nMoved),
                  rows + static_cast<Offset>(m_nGapStart));
        m_nGapEnd += nMoved;
    }
    m_nGapStart = nRow;
}

int CPathList::GetNextSelected(int nStart) {
    const std::size_t nCount = Count();
    for (std::size_t nRow = static_cast<std::size_t>(std::max(nStart + 1, 0)); nRow < nCount;
         ++nRow) {
        if (At(nRow).bSelected) {
            return static_cast<int>(nRow);
        }
    }
    return -1;
}

std::string CPathList::GetItemPath(int nRow) {
    return Checked(nRow).path;
}

void CPathList::DeleteItem(int nRow) {
    if (nRow < 0 || static_cast<std::size_t>(nRow) >= Count()) {
        return;
    }
    MoveGapTo(static_cast<std::size_t>(nRow));
    m_rows[m_nGapEnd].path = std::string();  // the row's memory goes now, not with the list
    ++m_nGapEnd;
}

void CPathList::SetSelected(int nRow, bool bSelected) {
    Checked(nRow).bSelected = bSelected;
}

int CPathList::GetItemCount() {
    return static_cast<int>(Count());
}

std::vector<std::string> CPathList::Rows() const {
    std::vector<std::string> rows;
    for (std::size_t nRow = 0; nRow < Count(); ++nRow) {
        const CRow& row = At(nRow);
        rows.push_back((row.bSelected ? "+" : "-") + row.path);
    }
    return rows;
}

}  // namespace quorrel

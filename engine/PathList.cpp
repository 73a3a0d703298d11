#include "PathList.h"

namespace quorrel {

CPathList::CPathList(const std::vector<std::string>& paths, bool bSelected) {
    for (const std::string& path : paths) {
        m_rows.push_back({path, bSelected});
    }
}

int CPathList::GetNextSelected(int nStart) {
    for (int nRow = nStart + 1; nRow < GetItemCount(); ++nRow) {
        if (m_rows[static_cast<std::size_t>(nRow)].bSelected) {
            return nRow;
        }
    }
    return -1;
}

std::string CPathList::GetItemPath(int nRow) { return m_rows.at(static_cast<std::size_t>(nRow)).path; }

void CPathList::DeleteItem(int nRow) { m_rows.erase(m_rows.begin() + nRow); }

void CPathList::SetSelected(int nRow, bool bSelected) {
    m_rows.at(static_cast<std::size_t>(nRow)).bSelected = bSelected;
}

int CPathList::GetItemCount() { return static_cast<int>(m_rows.size()); }

std::vector<std::string> CPathList::Rows() const {
    std::vector<std::string> rows;
    for (const CRow& row : m_rows) {
        rows.push_back((row.bSelected ? "+" : "-") + row.path);
    }
    return rows;
}

}  // namespace quorrel

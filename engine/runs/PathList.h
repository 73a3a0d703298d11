// A list of rows kept in memory: what a run works on when no list view holds the rows.
#pragma once

#include <string>
#include <vector>

#include "engine/runs/Runs.h"

namespace quorrel {

// The rows sit in one array with a gap where rows were deleted: deleting a row moves the gap
// there, shifting only the rows between the old place and the new one. A run deletes rows in
// order from the top, so the gap follows it and the whole run shifts each row at most once.
class CPathList : public IWipeList {
public:
    // One row per path, in the order given, each selected or not.
    explicit CPathList(const std::vector<std::string>& paths, bool bSelected = true);

    int GetNextSelected(int nStart) override;
    // The row's path; throws std::out_of_range for a row that does not exist.
    std::string GetItemPath(int nRow) override;
    // Removes a row (the rows below move up); a row that does not exist is ignored.
    void DeleteItem(int nRow) override;
    // Selects or deselects a row; throws std::out_of_range for a row that does not exist.
    void SetSelected(int nRow, bool bSelected) override;
    int GetItemCount() override;

    // The paths left, in order, each prefixed with "+" when selected and "-" when not.
    std::vector<std::string> Rows() const;

private:
    struct CRow {
        std::string path;
        bool bSelected;
    };

    CRow& Checked(int nRow);
    const CRow& At(std::size_t nRow) const;
    std::size_t Count() const { return m_rows.size() - (m_nGapEnd - m_nGapStart); }
    void MoveGapTo(std::size_t nRow);

    std::vector<CRow> m_rows;
    // Rows [m_nGapStart, m_nGapEnd) of m_rows are deleted; row k of the list is m_rows[k]
    // above the gap and m_rows[k + gap size] from it on.
    std::size_t m_nGapStart = 0;
    std::size_t m_nGapEnd = 0;
};

}  // namespace quorrel

// A list of rows kept in memory: what a run works on when no list view holds the rows.
#pragma once

#include <string>
#include <vector>

#include "Runs.h"

namespace quorrel {

class CPathList : public IWipeList {
public:
    // One row per path, in the order given, each selected or not.
    explicit CPathList(const std::vector<std::string>& paths, bool bSelected = true);

    int GetNextSelected(int nStart) override;
    std::string GetItemPath(int nRow) override;
    void DeleteItem(int nRow) override;
    void SetSelected(int nRow, bool bSelected) override;
    int GetItemCount() override;

    // The paths left, in order, each prefixed with "+" when selected and "-" when not.
    std::vector<std::string> Rows() const;

private:
    struct CRow {
        std::string path;
        bool bSelected;
    };
    std::vector<CRow> m_rows;
};

}  // namespace quorrel

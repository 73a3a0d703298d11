// The list view as a shredding run sees it.
#pragma once

#include "Runs.h"

namespace quorrel {

class CQuorrelView;

class CViewWipeList : public IWipeList {
public:
    // Works on `view`, which must outlive this object.
    explicit CViewWipeList(CQuorrelView& view) : m_view(view) {}

    int GetNextSelected(int nStart) override;
    // The row's path as the bytes the list holds; empty for a row that does not exist.
    std::string GetItemPath(int nRow) override;
    void DeleteItem(int nRow) override;
    void SetSelected(int nRow, bool bSelected) override;
    int GetItemCount() override;

private:
    CQuorrelView& m_view;
};

}  // namespace quorrel

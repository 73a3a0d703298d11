// The list view as a shredding run sees it.
#pragma once

#include <QElapsedTimer>

#include "engine/runs/Runs.h"

namespace quorrel {

class CQuorrelView;

// During a run, destroyed rows are taken out of the view a batch at a time: every removal makes
// the view lay out all its rows again, which once per row makes a run over a long list
// quadratic. The run sees the rows gone at once; the user sees them go a few times a second.
class CViewWipeList : public IWipeList {
public:
    // Works on `view`, which must outlive this object.
    explicit CViewWipeList(CQuorrelView& view) : m_view(view) {}
    // Takes away any rows still held back.
    ~CViewWipeList() override;

    int GetNextSelected(int nStart) override;
    // The row's path as the bytes the list holds; empty for a row that does not exist.
    std::string GetItemPath(int nRow) override;
    // Removes a row; while removals are held, the view keeps showing it for a moment.
    void DeleteItem(int nRow) override;
    void SetSelected(int nRow, bool bSelected) override;
    int GetItemCount() override;
    void HoldRemovals() override;
    void FinishRemovals() override;

    // How long a destroyed row may stay in sight while removals are held, in milliseconds.
    static constexpr int kShowIntervalMs = 250;

private:
    // The view's row for the run's row `nRow`: held rows are skipped.
    int ViewRow(int nRow) const { return nRow < m_nHeldFirst ? nRow : nRow + m_nHeldCount; }
    void ShowRemovals();

    CQuorrelView& m_view;
    bool m_bHolding = false;
    // View rows [m_nHeldFirst, m_nHeldFirst + m_nHeldCount) are deleted but still shown.
    int m_nHeldFirst = 0;
    int m_nHeldCount = 0;
    QElapsedTimer m_sinceShown;
};

}  // namespace quorrel

#include "list/ViewWipeList.h"

#include "list/QuorrelView.h"

namespace quorrel {

CViewWipeList::~CViewWipeList() {
    ShowRemovals();
}

int CViewWipeList::GetNextSelected(int nStart) {
    // Held rows are still selected in the view: the search steps over them.
    int nFound = m_view.GetNextItem(nStart < 0 ? -1 : ViewRow(nStart));
    if (m_nHeldCount > 0 && nFound >= m_nHeldFirst && nFound < m_nHeldFirst + m_nHeldCount) {
        nFound = m_view.GetNextItem(m_nHeldFirst + m_nHeldCount - 1);
    }
    if (nFound < 0 || nFound < m_nHeldFirst) {
        return nFound;
    }
    return nFound - m_nHeldCount;
}

std::string CViewWipeList::GetItemPath(int nRow) {
    const QByteArray path = m_view.GetItemPath(ViewRow(nRow));
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

void CViewWipeList::DeleteItem(int nRow) {
    if (nRow < 0 || nRow >= GetItemCount()) {
        return;
    }
    if (!m_bHolding) {
        m_view.DeleteItem(nRow);
        return;
    }
    if (m_nHeldCount == 0 || nRow != m_nHeldFirst) {
        // Only a run of neighbouring rows is held: one step takes them all away.
        ShowRemovals();
        m_nHeldFirst = nRow;
    }
    ++m_nHeldCount;
    if (m_sinceShown.elapsed() >= kShowIntervalMs) {
        ShowRemovals();
    }
}

void CViewWipeList::SetSelected(int nRow, bool bSelected) {
    m_view.SetItemSelected(ViewRow(nRow), bSelected);
}

int CViewWipeList::GetItemCount() {
    return m_view.GetItemCount() - m_nHeldCount;
}

void CViewWipeList::HoldRemovals() {
    m_bHolding = true;
    m_sinceShown.start();
}

void CViewWipeList::FinishRemovals() {
    ShowRemovals();
    m_bHolding = false;
}

void CViewWipeList::ShowRemovals() {
    if (m_nHeldCount > 0) {
        m_view.DeleteItems(m_nHeldFirst, m_nHeldCount);
        m_nHeldFirst = 0;
        m_nHeldCount = 0;
    }
    m_sinceShown.start();
}

}  // namespace quorrel

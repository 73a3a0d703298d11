#include "ViewWipeList.h"

#include "QuorrelView.h"

namespace quorrel {

int CViewWipeList::GetNextSelected(int nStart) {
    return m_view.GetNextItem(nStart);
}

std::string CViewWipeList::GetItemPath(int nRow) {
    const QByteArray path = m_view.GetItemPath(nRow);
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

void CViewWipeList::DeleteItem(int nRow) {
    m_view.DeleteItem(nRow);
}

void CViewWipeList::SetSelected(int nRow, bool bSelected) {
    m_view.SetItemSelected(nRow, bSelected);
}

int CViewWipeList::GetItemCount() {
    return m_view.GetItemCount();
}

}  // namespace quorrel

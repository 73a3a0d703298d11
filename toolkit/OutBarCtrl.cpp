// The sidebar's model: folders and items, selection, removal and the signals that let their
// receiver refuse each change. Geometry, drawing and the pointer are in OutBarCtrl*.cpp.
#include "toolkit/OutBarCtrl.h"

#include <QLineEdit>

namespace quorrel {

CXTOutBarCtrl::CXTOutBarCtrl(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    // Tab reaches it; a click does not take the focus from the list.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

CXTOutBarCtrl::~CXTOutBarCtrl() {
    // The editor's end must not report to a receiver that may be half gone by now.
    if (m_pEditor != nullptr) {
        m_pEditor->removeEventFilter(this);
        m_pEditor->disconnect(this);
    }
}

bool CXTOutBarCtrl::Create(const QRect& rect, QWidget* pParent, quint32 dwFlags) {
    if (pParent == nullptr) {
        return false;
    }
    setParent(pParent);
    setGeometry(rect);
    m_dwFlags = dwFlags;
    show();
    return true;
}

void CXTOutBarCtrl::SetImageList(const CImageList* pImageList, bool bLarge) {
    (bLarge ? m_pLarge : m_pSmall) = pImageList;
    update();
}

const CImageList* CXTOutBarCtrl::GetImageList(bool bLarge) const {
    return bLarge ? m_pLarge : m_pSmall;
}

int CXTOutBarCtrl::AddFolder(const QString& text, quint32 dwData) {
    SFolder folder;
    folder.text = text;
    folder.dwData = dwData;
    m_folders.append(folder);
    if (m_nSelFolder < 0) {
        m_nSelFolder = 0;
    }
    update();
    return GetFolderCount() - 1;
}

int CXTOutBarCtrl::InsertItem(int nFolder, int nIndex, const QString& text, int nImage,
                              quint32 dwData) {
    if (nFolder < 0 || nFolder >= GetFolderCount()) {
        return -1;
    }
    QList<SItem>& items = m_folders[nFolder].items;
    const int nAt = (nIndex < 0 || nIndex > items.size()) ? static_cast<int>(items.size()) : nIndex;
    items.insert(nAt, SItem{text, nImage, dwData});
    if (nFolder == m_nSelFolder && m_nHighlight >= nAt) {
        ++m_nHighlight;  // the highlight stays on the item it was on
    }
    update();
    return nAt;
}

QString CXTOutBarCtrl::GetFolderText(int nFolder) const {
    return (nFolder >= 0 && nFolder < GetFolderCount()) ? m_folders.at(nFolder).text : QString();
}

int CXTOutBarCtrl::GetItemCount(int nFolder) const {
    if (nFolder < 0 || nFolder >= GetFolderCount()) {
        return 0;
    }
    return static_cast<int>(m_folders.at(nFolder).items.size());
}

const CXTOutBarCtrl::SItem* CXTOutBarCtrl::Item(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetItemCount()) {
        return nullptr;
    }
    return &m_folders.at(m_nSelFolder).items.at(nIndex);
}

QString CXTOutBarCtrl::GetItemText(int nIndex) const {
    const SItem* pItem = Item(nIndex);
    return pItem ? pItem->text : QString();
}

int CXTOutBarCtrl::GetItemImage(int nIndex) const {
    const SItem* pItem = Item(nIndex);
    return pItem ? pItem->nImage : -1;
}

quint32 CXTOutBarCtrl::GetItemData(int nIndex) const {
    const SItem* pItem = Item(nIndex);
    return pItem ? pItem->dwData : 0;
}

bool CXTOutBarCtrl::Ask(ASignal signal, int nIndex, const QString& text) {
    SXTOutBarInfo info;
    info.nIndex = nIndex;
    info.text = text;
    bool bAllow = false;
    emit(this->*signal)(info, &bAllow);
    return bAllow;
}

bool CXTOutBarCtrl::SetSelFolder(int nFolder) {
    if (nFolder < 0 || nFolder >= GetFolderCount()) {
        return false;
    }
    EndEdit(true);
    if (!Ask(&CXTOutBarCtrl::FolderChanging, nFolder, m_folders.at(nFolder).text)) {
        return false;
    }
    // Folders are switched at once: with one column of shortcuts, an animated slide only
    // delays the click the user is about to make.
    m_nSelFolder = nFolder;
    ShowFolderFromTop();
    m_nHoverItem = -1;
    update();
    return true;
}

void CXTOutBarCtrl::SetHighlight(int nIndex) {
    if (nIndex == m_nHighlight ||
        !Ask(&CXTOutBarCtrl::HighlightChanging, nIndex, GetItemText(nIndex))) {
        return;
    }
    m_nHighlight = nIndex;
    update();
}

void CXTOutBarCtrl::SetSmallIconView(bool bSmall) {
    EndEdit(false);
    m_dwFlags = bSmall ? (m_dwFlags | FlagSmallIcons) : (m_dwFlags & ~quint32(FlagSmallIcons));
    ClampFirstItem();
    update();
}

bool CXTOutBarCtrl::RemoveItem(int nIndex) {
    EndEdit(false);
    if (Item(nIndex) == nullptr ||
        !Ask(&CXTOutBarCtrl::ItemRemoving, nIndex, GetItemText(nIndex))) {
        return false;
    }
    m_folders[m_nSelFolder].items.removeAt(nIndex);
    if (m_nHighlight == nIndex) {
        m_nHighlight = -1;
        m_nFocusItem = -1;
    } else if (m_nHighlight > nIndex) {
        --m_nHighlight;
    }
    m_nHoverItem = -1;
    ClampFirstItem();
    update();
    return true;
}

bool CXTOutBarCtrl::RemoveFolder(int nFolder) {
    EndEdit(false);
    if (nFolder < 0 || nFolder >= GetFolderCount() ||
        !Ask(&CXTOutBarCtrl::FolderRemoving, nFolder, m_folders.at(nFolder).text)) {
        return false;
    }
    m_folders.removeAt(nFolder);
    // The folder on show stays on show when another one goes; when it goes itself, the one
    // that moved into its place (or the last one) takes over, from its top.
    const int nSelBefore = m_nSelFolder;
    if (nFolder < m_nSelFolder) {
        --m_nSelFolder;
    } else if (nFolder == m_nSelFolder) {
        m_nSelFolder = qMin(m_nSelFolder, GetFolderCount() - 1);
        ShowFolderFromTop();
    }
    m_nHoverFolder = -1;
    m_nHoverItem = -1;
    update();
    // A receiver knows the selection by its index: it hears of the new one as of any folder
    // switch. The folder is gone already, so its answer cannot keep the old selection.
    if (nFolder == nSelBefore || m_nSelFolder != nSelBefore) {
        Ask(&CXTOutBarCtrl::FolderChanging, m_nSelFolder, GetFolderText(m_nSelFolder));
    }
    return true;
}

void CXTOutBarCtrl::RemoveAllFolders() {
    EndEdit(false);
    m_folders.clear();
    m_nSelFolder = -1;
    ShowFolderFromTop();
    m_nHoverFolder = -1;
    m_nHoverItem = -1;
    update();
}

void CXTOutBarCtrl::ClampFirstItem() {
    const int nCount = GetItemCount();
    m_nFirstItem = qBound(0, m_nFirstItem, qMax(0, nCount - 1));
    // Nothing stays scrolled away once everything fits below the header again.
    const QRect area = GetItemsArea();
    const int nAreaBottom = area.top() + area.height();
    while (m_nFirstItem > 0 &&
           ItemTop(nCount - 1) + ItemHeight(nCount - 1) + ItemHeight(m_nFirstItem - 1) <=
               nAreaBottom) {
        --m_nFirstItem;
    }
}

// A folder newly shown starts from its top, with no shortcut highlighted or in focus.
void CXTOutBarCtrl::ShowFolderFromTop() {
    m_nFirstItem = 0;
    m_nHighlight = -1;
    m_nFocusItem = -1;
}

void CXTOutBarCtrl::ClearHover() {
    if (m_nHoverFolder < 0 && m_nHoverItem < 0) {
        return;
    }
    m_nHoverFolder = -1;
    m_nHoverItem = -1;
    update();
}

}  // namespace quorrel

// The frame's sidebar: the folders "Wipe" and "Other" with their shortcuts, and what a click
// on one of them runs.
#include <QLayout>

#include <iterator>

#include "shell/Artwork.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/QuorrelApp.h"
#include "toolkit/OutBarCtrl.h"

namespace quorrel {

namespace {

// The sidebar's icons in the order of their image indexes (icon resources 132, 133, 134,
// 135, 136, 137, 154, 156 and 158): each is drawn as the command it runs elsewhere, so a
// shortcut looks like its toolbar button and menu item.
constexpr int kOutBarIcons[] = {
    ID_ADD_FILES, ID_WIPE_SELECTED, ID_WIPE_ALL,         ID_REMOVE_SELECTED, ID_REMOVE_ALL,
    ID_OPTIONS,   ID_WIPE_FOLDER,   ID_WIPE_RECYCLE_BIN, ID_ADD_FOLDER,      ID_WIPE_FREE_SPACE,
};

struct SOutBarItem {
    const char* pszText;
    int nImage;
};

constexpr SOutBarItem kWipeItems[] = {
    {"Add file(s) to list", 0}, {"Add folder to list", 8}, {"WIPE selected items", 1},
    {"WIPE all items", 2},      {"WIPE Folder", 6},        {"WIPE Recycle Bin", 7},
    {"WIPE Free Space", 9},
};
constexpr SOutBarItem kOtherItems[] = {
    {"Remove selected items from list", 3},
    {"Remove all items from list", 4},
    {"Options", 5},
};

const char kWipeFolder[] = "Wipe";
const char kOtherFolder[] = "Other";
const char kRemoveShortcutQuestion[] = "Are you sure you want to remove this folder shortcut?";
const char kRemoveFolderQuestion[] = "Are you sure you want to remove the specified folder?";

}  // namespace

bool CMainFrame::BuildOutBar() {
    auto* pOutBar = new CXTOutBarCtrl;
    pOutBar->setObjectName(QStringLiteral("outBar"));
    if (!pOutBar->Create(QRect(), m_wndOutBarPane, CXTOutBarCtrl::FlagsDefault)) {
        delete pOutBar;
        return false;
    }
    m_wndOutBar = pOutBar;
    m_wndOutBarPane->layout()->addWidget(m_wndOutBar);
    // The frame answers the sidebar's signals (directly: the answers are read at once). A
    // click runs its command before the sidebar highlights the item.
    connect(m_wndOutBar, &CXTOutBarCtrl::ItemClicked, this,
            [this](const SXTOutBarInfo& info, bool* pAllow) {
                RunOutBarCommand(OutBarItemCommand(info.nIndex));
                *pAllow = true;
            });
    connect(m_wndOutBar, &CXTOutBarCtrl::ItemRemoving, this,
            [this](const SXTOutBarInfo&, bool* pAllow) {
                *pAllow = AskYesNo(kRemoveShortcutQuestion);
            });
    connect(
        m_wndOutBar, &CXTOutBarCtrl::FolderRemoving, this,
        [this](const SXTOutBarInfo&, bool* pAllow) { *pAllow = AskYesNo(kRemoveFolderQuestion); });
    const auto allow = [](const SXTOutBarInfo&, bool* pAllow) { *pAllow = true; };
    for (auto signal : {&CXTOutBarCtrl::FolderChanging, &CXTOutBarCtrl::HighlightChanging,
                        &CXTOutBarCtrl::ItemRenamed, &CXTOutBarCtrl::FolderRenamed}) {
        connect(m_wndOutBar, signal, this, allow);
    }

    m_imlSmall.Create(16, 16, 2);
    m_imlLarge.Create(32, 32, 2);
    for (int nCommandId : kOutBarIcons) {
        const QIcon icon = CommandIcon(nCommandId);
        m_imlSmall.Add(icon);
        m_imlLarge.Add(icon);
    }
    m_wndOutBar->SetImageList(&m_imlLarge, true);
    m_wndOutBar->SetImageList(&m_imlSmall, false);
    m_wndOutBar->setAccessibleName(QStringLiteral("Sidebar"));
    FillOutBar();
    return true;
}

void CMainFrame::FillOutBar() {
    const int nWipe = m_wndOutBar->AddFolder(QString::fromUtf8(kWipeFolder), 0);
    for (const SOutBarItem& item : kWipeItems) {
        m_wndOutBar->InsertItem(nWipe, m_wndOutBar->GetItemCount(nWipe),
                                QString::fromUtf8(item.pszText), item.nImage, 0);
    }
    const int nOther = m_wndOutBar->AddFolder(QString::fromUtf8(kOtherFolder), 1);
    for (const SOutBarItem& item : kOtherItems) {
        m_wndOutBar->InsertItem(nOther, m_wndOutBar->GetItemCount(nOther),
                                QString::fromUtf8(item.pszText), item.nImage, 0);
    }
    m_wndOutBar->SetSelFolder(0);
}

void CMainFrame::OnRestoreOutBar() {
    m_wndOutBar->RemoveAllFolders();
    FillOutBar();
}

// A shortcut is known by its icon, which is drawn as the command it runs: that stays with the
// shortcut when others above it are removed, when it is renamed, or when its folder moves.
int CMainFrame::OutBarItemCommand(int nIndex) const {
    const int nImage = m_wndOutBar->GetItemImage(nIndex);
    if (nImage < 0 || nImage >= static_cast<int>(std::size(kOutBarIcons))) {
        return 0;
    }
    return kOutBarIcons[nImage];
}

// The handlers are called as they are, without the enabling rules of the menus and the
// toolbar: "WIPE selected items" asks its question even when nothing is selected.
void CMainFrame::RunOutBarCommand(int nCommandId) {
    switch (nCommandId) {
        case ID_ADD_FILES:
            OnAddFiles();
            break;
        case ID_ADD_FOLDER:
            OnAddFolder();
            break;
        case ID_WIPE_SELECTED:
            OnWipeSelected();
            break;
        case ID_WIPE_ALL:
            OnWipeAll();
            break;
        case ID_WIPE_FOLDER:
            OnWipeFolder();
            break;
        case ID_WIPE_RECYCLE_BIN:
            OnWipeRecycleBin();
            break;
        case ID_WIPE_FREE_SPACE:
            OnWipeFreeSpace();
            break;
        case ID_REMOVE_SELECTED:
            OnRemoveSelected();
            break;
        case ID_REMOVE_ALL:
            OnRemoveAll();
            break;
        case ID_OPTIONS:
            // Options belongs to the application object; a frame made without one (as the
            // tests make it) has no Options to run.
            if (CQuorrelApp* pApp = CQuorrelApp::Instance()) {
                pApp->OnOptions();
            }
            break;
        default:
            break;
    }
}

}  // namespace quorrel

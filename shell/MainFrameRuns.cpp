// The frame's shredding runs (WIPE Selected, WIPE All, WIPE Folder) and the two commands that
// fill the list (Add Files, Add Folder).
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/log/LogLines.h"
#include "engine/runs/RunProgress.h"
#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "list/PathText.h"
#include "list/QuorrelView.h"
#include "list/ViewWipeList.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/FileDialog.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OutputBar.h"
#include "shell/WindowRunHost.h"

namespace quorrel {

namespace {

// The filter of Add Files: it reads "All Files (*.*)" but matches "*", so that names without
// a dot are offered too.
const char kAllFilesFilter[] = "All Files (*.*) (*)";
const char kSelectDirectory[] = "Select Directory";

std::string Bytes(const QByteArray& text) {
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

}  // namespace

void CMainFrame::ConnectRunCommands() {
    m_dlgAbort = std::make_unique<CAbortDlg>();
    m_pRunHost = std::make_unique<CWindowRunHost>(*this, Progress(), *m_dlgAbort, *m_wndOutputBar);
    m_pEngine = std::make_unique<CWipeEngine>(SystemFileSystem(), *m_pRunHost);
    connect(Action(ID_WIPE_SELECTED), &QAction::triggered, this, &CMainFrame::OnWipeSelected);
    connect(Action(ID_WIPE_ALL), &QAction::triggered, this, &CMainFrame::OnWipeAll);
    connect(Action(ID_WIPE_FOLDER), &QAction::triggered, this, &CMainFrame::OnWipeFolder);
    connect(Action(ID_WIPE_RECYCLE_BIN), &QAction::triggered, this, &CMainFrame::OnWipeRecycleBin);
    connect(Action(ID_WIPE_FREE_SPACE), &QAction::triggered, this, &CMainFrame::OnWipeFreeSpace);
    connect(Action(ID_ADD_FILES), &QAction::triggered, this, &CMainFrame::OnAddFiles);
    connect(Action(ID_ADD_FOLDER), &QAction::triggered, this, &CMainFrame::OnAddFolder);
}

CAbortDlg& CMainFrame::AbortDialog() const {
    return *m_dlgAbort;
}

// The engine, told the method chosen now: Options may have changed it since the last run.
// Every run starts here.
CWipeEngine& CMainFrame::Engine() {
    m_pEngine->SetWipeMethod(WipeMethod());
    m_pEngine->SetFilesInFlight(FilesInFlight(), !FilesInFlightFromTheFirst());
    return *m_pEngine;
}

bool CMainFrame::AskYesNo(const char* pszQuestion) {
    return CMessageBox::Show(this, QString::fromUtf8(pszQuestion), CMessageBox::YesNo,
                             CMessageBox::Exclamation) == CMessageBox::IdYes;
}

// A question whose Yes destroys files: Enter, or a key pressed once too often, answers No.
bool CMainFrame::AskDestroy(const QString& question) {
    return CMessageBox::Show(this, question, CMessageBox::YesNo, CMessageBox::Exclamation,
                             CMessageBox::DefaultRefusal) == CMessageBox::IdYes;
}

void CMainFrame::OnWipeSelected() {
    if (!AskDestroy(QString::fromUtf8(kWipeListQuestion))) {
        return;
    }
    std::vector<std::string> paths;
    for (int nRow = m_pView->GetNextItem(-1); nRow >= 0; nRow = m_pView->GetNextItem(nRow)) {
        paths.push_back(Bytes(m_pView->GetItemPath(nRow)));
    }
    m_pRunHost->ExpectWork(EstimateWork(SystemFileSystem(), paths));
    CViewWipeList list(*m_pView);
    // Each row removed moves the current row, and following it would lay the whole list out
    // again per row: the view stays where it is until the run is over.
    const bool bAutoScroll = m_pView->hasAutoScroll();
    m_pView->setAutoScroll(false);
    RunWipeSelected(Engine(), list);
    m_pView->setAutoScroll(bAutoScroll);
}

void CMainFrame::OnWipeAll() {
    m_pView->SelectAllItems();  // before the question: No leaves every row selected
    OnWipeSelected();
}

// The chooser takes only a folder the user named, and the question names it on a line of
// its own: the folder the chooser happened to open at is never shredded by Enter, Enter.
void CMainFrame::OnWipeFolder() {
    const QString folder = CFileDialog::GetExistingDirectory(
        nullptr, QLatin1String(kSelectDirectory), QString(), CFileDialog::NameMustBeChosen);
    if (folder.isEmpty()) {
        return;
    }
    const QByteArray path = QFile::encodeName(folder);
    if (!AskDestroy(QString::fromUtf8(kWipeFolderQuestion) + QLatin1Char('\n') +
                    DisplayPath(path))) {
        return;
    }
    m_pRunHost->ExpectWork(EstimateWork(SystemFileSystem(), {Bytes(path)}, true));
    RunWipeFolder(Engine(), Bytes(path));
}

// Adds one chosen path, or says that the list holds it already.
void CMainFrame::AddPath(const QByteArray& path, bool bFolder) {
    if (m_pView->ContainsPath(path)) {
        m_wndOutputBar->AddLine(lines::AlreadyInList(Bytes(path)));
        return;
    }
    m_pView->AddEntry(path, bFolder ? ItemKind::Folder : ItemKind::File);
}

void CMainFrame::OnAddFiles() {
    const QStringList files =
        CFileDialog::GetOpenFileNames(nullptr, QString(), QLatin1String(kAllFilesFilter));
    for (const QString& file : files) {
        AddPath(QFile::encodeName(file), false);
    }
}

void CMainFrame::OnAddFolder() {
    const QString start = m_strLastAddedFolder.isEmpty() ? QDir::homePath() : m_strLastAddedFolder;
    const QString folder = CFileDialog::GetExistingDirectory(
        nullptr, QLatin1String(kSelectDirectory), start, CFileDialog::StartInParent);
    if (folder.isEmpty()) {
        return;
    }
    // A name typed into the chooser need not exist; the list takes only a folder that does.
    const QByteArray path = QFile::encodeName(folder);
    if (!QFileInfo(folder).isDir()) {
        m_wndOutputBar->AddLine(lines::ChosenFolderMissing(Bytes(path)));
        return;
    }
    m_strLastAddedFolder = folder;
    AddPath(path, true);
}

}  // namespace quorrel

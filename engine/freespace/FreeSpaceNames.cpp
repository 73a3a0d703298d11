// The names step of WIPE Free Space: fillers in the folders' unused entry space, and the
// journal written over with the run's own changes.
#include "engine/freespace/FreeSpaceNames.h"

#include <iterator>

#include "engine/file/FileRun.h"
#include "engine/freespace/FreeSpaceFacts.h"
#include "engine/log/LogLines.h"
#include "engine/names/Fillers.h"

namespace quorrel {

namespace {

// The lengths fillers take in turn: long ones fill the large gaps a folder's deleted entries
// left, the shortest ones the small gaps that stay between them.
constexpr std::size_t kFillerLengths[] = {48, 20, 32, 20, 24, 20};
// Records the taking of free records may take beyond twice those it found free: records the
// system makes meanwhile keep the count of free ones from reaching 0.
constexpr std::int64_t kRecordSlack = 1024;
// The permission bits of the run's folders of fillers: its owner's alone.
constexpr std::uint32_t kFillerFolderMode = 0700;
// Changes between two looks at the journal's head, the progress and the abort check.
constexpr int kChangesPerLook = 16;

}  // namespace

CFreeSpaceNames::CFreeSpaceNames(CWipeEngine& engine, IFolder& chosen,
                                 const std::string& chosenPath, IFolder& top,
                                 const std::string& topPath, bool bSame)
    : m_engine(engine),
      m_host(engine.Host()),
      m_chosen(chosen),
      m_strChosenPath(chosenPath),
      m_top(top),
      m_strTopPath(topPath),
      m_bSame(bSame),
      m_pCycle(&top) {}

void CFreeSpaceNames::RemoveLeftovers() {
    RemoveLeftoversIn(m_top, m_strTopPath);
    if (!m_bSame) {
        RemoveLeftoversIn(m_chosen, m_strChosenPath);
    }
}

// A filler left behind is a plain file of this user's with one name, and a filler's name; a
// folder of them is removed with them. A look-alike of a person's is left with a line.
void CFreeSpaceNames::RemoveLeftoversIn(IFolder& folder, const std::string& path) {
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!folder.List(entries, error)) {
        return;  // the run's own steps say what fails in this folder
    }
    const std::int64_t nUser = CurrentUserNumber();
    for (const CDirEntry& entry : entries) {
        const bool bOurs = IsFillerName(entry.m_strName) &&
                           (nUser < 0 || entry.m_nOwner < 0 || entry.m_nOwner == nUser);
        if (bOurs && (entry.m_attributes & kAttrDirectory) != 0 &&
            (entry.m_attributes & kAttrReparsePoint) == 0) {
            RemoveLeftoverFolder(folder, path, entry);
        }
    }
    RemoveLeftFillers(
        folder, path, [this](const std::string& line) { m_host.AddLine(line); },
        [this](const std::string& line) { m_engine.Fail(line); });
}

// A folder of fillers a run left: removed with them when it holds nothing but fillers.
void CFreeSpaceNames::RemoveLeftoverFolder(IFolder& parent, const std::string& parentPath,
                                           const CDirEntry& listed) {
    CFileError error;
    std::unique_ptr<IFolder> folder = parent.OpenFolder(listed, error);
    std::vector<CDirEntry> entries;
    if (!folder || !folder->List(entries, error)) {
        return;
    }
    for (const CDirEntry& entry : entries) {
        // The run puts empty files and short links in its folders, never a folder.
        if (!IsFillerName(entry.m_strName) || (entry.m_attributes & kAttrDirectory) != 0) {
            return;  // not of the run's making: left alone
        }
    }
    const std::string path = JoinPath(parentPath, listed.m_strName);
    for (const CDirEntry& entry : entries) {
        if (!folder->DeleteListed(entry, entry.m_strName, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, JoinPath(path, entry.m_strName), error));
            return;
        }
    }
    folder.reset();
    if (parent.RemoveFolder(listed.m_strName, error)) {
        m_host.AddLine(lines::LeftoverRemoved(path));
    } else {
        m_engine.Fail(lines::FolderNotRemoved(path));
    }
}

bool CFreeSpaceNames::Run() {
    const bool bJournal = DescribeJournal();
    // Free records first: fillers made before would take them as plain files, which leave the
    // old names in them. The records taken reach the disk with a first writing over of the
    // journal; only then are they freed again.
    bool bOk = TakeFreeRecords();
    if (!m_recordFolders.empty() && bJournal && !m_bAborted) {
        bOk = CycleInOwnFolder() && bOk;
    }
    bOk = RemoveRecordFolders() && bOk;
    // The folder the changes are made in comes before the fillers, so that the folders
    // holding them are not changed again and reach the disk with what they hold.
    if (bJournal && !m_bAborted) {
        bOk = MakeChangesFolder() && bOk;
    }
    // FAT: fusefat may keep a filler it was told to remove, which is looked for afterwards.
    const bool bFat = KeepsNamesInSlots(m_chosen);
    const std::set<std::string> chosenBefore =
        bFat ? FillerNamesIn(m_chosen) : std::set<std::string>();
    const std::set<std::string> topBefore = bFat ? FillerNamesIn(m_top) : std::set<std::string>();
    if (!m_bAborted) {
        m_host.AddLine(lines::ClearingOldNames(m_strChosenPath));
        MakeFillers(m_chosen, m_strChosenPath, m_chosenFillers);
    }
    if (!m_bSame && !m_bAborted) {
        m_host.AddLine(lines::ClearingOldNames(m_strTopPath));
        MakeFillers(m_top, m_strTopPath, m_topFillers);
    }
    const bool bCycled = m_changes && !m_bAborted && CycleJournal(m_journal);
    bOk = RemoveChangesFolder() && bOk;
    bOk = RemoveFillers(m_chosen, m_strChosenPath, m_chosenFillers) && bOk;
    bOk = RemoveFillers(m_top, m_strTopPath, m_topFillers) && bOk;
    if (bFat && bOk) {
        const auto fail = [this](const std::string& line) { m_engine.Fail(line); };
        bOk = NoFillerStays(m_chosen, m_strChosenPath, chosenBefore, fail) && bOk;
        if (!m_bSame) {
            bOk = NoFillerStays(m_top, m_strTopPath, topBefore, fail) && bOk;
        }
    }
    CFileError error;
    m_chosen.FlushEntries(error);
    m_top.FlushEntries(error);
    if (bCycled && !m_bHeadStuck) {
        m_host.AddLine(lines::JournalCleared(m_strTopPath, m_nChanges, m_engine.Now() - m_nStart));
    }
    return !m_bAborted && bOk && (bCycled || !bJournal);
}

// A freed file record keeps the names a short folder held inside it (xfs) until the record is
// used again, and the fill's files do not write that part of a record. So every record made
// and free is taken, by folders of the run's, each filled with short links whose targets fill
// a record's room until the folder's own entries fill its record. The system puts each folder
// in the next group of records, and a link where its folder is. The journal's writing over,
// which follows while they stand, takes the records to their place on the disk.
bool CFreeSpaceNames::TakeFreeRecords() {
    std::int64_t nFree = 0;
    std::int64_t nInline = 0;
    if (!m_pCycle->GetFreeRecords(nFree, nInline) || nFree <= 0) {
        return true;
    }
    m_host.AddLine(lines::ClearingFreedRecords(m_strTopPath, nFree));
    const std::int64_t nMost = 2 * nFree + kRecordSlack;  // records made meanwhile stop it
    std::int64_t nTaken = 0;
    while (nFree > 0 && nTaken < nMost && !Stopped()) {
        const std::string name = m_drawer.Filler(kMinFillerLength);
        CFileError error;
        std::unique_ptr<IFolder> folder = m_pCycle->CreateNewFolder(name, kFillerFolderMode, error);
        if (!folder && error.m_nCause == kCauseAccessDenied && m_pCycle == &m_top && !m_bSame) {
            m_pCycle = &m_chosen;  // the top may not be written here: the chosen folder may
            continue;
        }
        if (!folder) {
            if (error.m_eFault == EFileFault::NameTaken) {
                continue;
            }
            m_engine.Warn(lines::OldNamesStay(CyclePath(), error.GetErrorMessage()));
            return true;
        }
        m_recordFolders.push_back({name, {}});
        CFillerFolder& made = m_recordFolders.back();
        MakeFillers(*folder, JoinPath(CyclePath(), name), made.fillers, nInline);
        nTaken += static_cast<std::int64_t>(made.fillers.size()) + 1;
        if (!m_pCycle->GetFreeRecords(nFree, nInline)) {
            break;
        }
    }
    return true;
}

// The run's folder `name` in the cycle folder, opened; null when it cannot be.
std::unique_ptr<IFolder> CFreeSpaceNames::OpenFillerFolder(const std::string& name) {
    CDirEntry entry;
    CFileError error;
    if (!m_pCycle->Lookup(name, entry, error)) {
        return nullptr;
    }
    return m_pCycle->OpenFolder(entry, error);
}

// Removes the folders that took free records, with their fillers. False when one stays (with
// its line).
bool CFreeSpaceNames::RemoveRecordFolders() {
    const std::string& path = CyclePath();
    bool bOk = true;
    for (const CFillerFolder& made : m_recordFolders) {
        const std::string folderPath = JoinPath(path, made.strName);
        std::unique_ptr<IFolder> folder = OpenFillerFolder(made.strName);
        bOk = folder && RemoveFillers(*folder, folderPath, made.fillers) && bOk;
        folder.reset();  // some systems refuse to remove a folder that is held open
        CFileError error;
        if (!m_pCycle->RemoveFolder(made.strName, error)) {
            m_engine.Fail(lines::FolderNotRemoved(folderPath));
            bOk = false;
        }
    }
    m_recordFolders.clear();
    return bOk;
}

// Makes fillers in `folder` (named in `made`) until its allocated size grows or it takes no
// more. A folder this run may not write in is said so once; its old names stay.
bool CFreeSpaceNames::MakeFillers(IFolder& folder, const std::string& path,
                                  std::vector<std::string>& made, std::int64_t nLinkBytes) {
    CFillerPlan plan;
    plan.lengths.assign(std::begin(kFillerLengths), std::end(kFillerLengths));
    plan.nNext = m_nNextLength;
    plan.nLinkBytes = nLinkBytes;
    CFileError error;
    const std::size_t nBefore = made.size();
    const EFillerEnd end = quorrel::MakeFillers(
        folder, path, plan, m_drawer, [this] { return Stopped(); }, made, error);
    m_nNextLength = plan.nNext;
    if (end == EFillerEnd::Refused && made.size() == nBefore) {
        // Not even one: the folder may not be written here.
        if (&folder == &m_top && !m_bSame) {
            m_pCycle = &m_chosen;
        }
        m_engine.Warn(lines::OldNamesStay(path, error.GetErrorMessage()));
    }
    return end != EFillerEnd::Stopped;
}

// Removes the fillers `made`; a filler that stays is named as a failure.
bool CFreeSpaceNames::RemoveFillers(IFolder& folder, const std::string& path,
                                    const std::vector<std::string>& made) {
    return quorrel::RemoveFillers(folder, path, made,
                                  [this](const std::string& line) { m_engine.Fail(line); });
}

// Reads what the journal is, and says so where it is none or cannot be written over. True
// when it is to be written over.
bool CFreeSpaceNames::DescribeJournal() {
    m_journal = m_top.GetJournal();
    switch (m_journal.m_eKind) {
        case EJournal::None:
            m_host.AddLine(lines::NoJournal(m_strTopPath));
            return false;
        case EJournal::External:
            m_engine.Warn(lines::JournalElsewhere(m_strTopPath));
            return false;
        case EJournal::Unknown:
            m_engine.Warn(lines::JournalUnknown(m_strTopPath, JournalWhy(m_journal)));
            return false;
        case EJournal::Internal:
            break;
    }
    return true;
}

// Makes the folder the journal's changes are made in. False (with the line) when it can't.
bool CFreeSpaceNames::MakeChangesFolder() {
    CFileError error;
    for (int nTry = 0; nTry < 4 && !m_changes; ++nTry) {
        m_strChangesName = m_drawer.Filler(kMinFillerLength);
        m_changes = m_pCycle->CreateNewFolder(m_strChangesName, kFillerFolderMode, error);
        if (!m_changes && error.m_nCause == kCauseAccessDenied && m_pCycle == &m_top && !m_bSame) {
            m_pCycle = &m_chosen;  // the top may not be written here: the chosen folder may
        }
    }
    m_strChangesPath = JoinPath(CyclePath(), m_strChangesName);
    if (!m_changes) {
        m_engine.Fail(Quote(lines::kCreateFolderFailed, m_strChangesPath, error));
        return false;
    }
    return true;
}

// Removes the folder MakeChangesFolder made, if there is one. False (with the line) when it
// stays.
bool CFreeSpaceNames::RemoveChangesFolder() {
    if (!m_changes) {
        return true;
    }
    m_changes.reset();  // some systems refuse to remove a folder that is held open
    CFileError error;
    if (!m_pCycle->RemoveFolder(m_strChangesName, error)) {
        m_engine.Fail(lines::FolderNotRemoved(m_strChangesPath));
        return false;
    }
    return true;
}

// One whole writing over of the journal in a folder of its own, made and removed here.
bool CFreeSpaceNames::CycleInOwnFolder() {
    const bool bCycled = MakeChangesFolder() && CycleJournal(m_journal);
    return RemoveChangesFolder() && bCycled;
}

// Makes changes until the journal's head has moved by the journal's size, where the system
// tells where the head is, else until the changes have written that much at the least each
// writes. The progress follows the bytes.
bool CFreeSpaceNames::CycleJournal(const CJournalFacts& journal) {
    if (m_nChanges == 0) {
        m_host.AddLine(lines::ClearingJournal(m_strTopPath, FormatBytes(journal.m_nBytes)));
        m_nStart = m_engine.Now();
    }
    std::int64_t nChanges = 0;
    std::int64_t nHead = 0;
    const bool bHead = journal.m_bHasHead && m_changes->GetJournalHead(nHead);
    const std::int64_t nStartHead = nHead;
    const std::int64_t nPerChange = std::max<std::int64_t>(journal.m_nMinChangeBytes, 512);
    // Where the head is told, a change moves it by one 512-byte block at the least: more
    // changes than that would take mean the head is not moving.
    const std::int64_t nMost = journal.m_nBytes / nPerChange + 1;
    m_host.SetProgressRange(journal.m_nBytes);
    std::int64_t nDone = 0;
    while (nDone < journal.m_nBytes) {
        if (nChanges >= nMost) {
            m_engine.Warn(lines::JournalHeadStuck(m_strTopPath));
            m_bHeadStuck = true;
            return true;
        }
        if (!MakeChange()) {
            return false;
        }
        ++nChanges;
        ++m_nChanges;
        if (bHead) {
            if (nChanges % kChangesPerLook == 0 && m_changes->GetJournalHead(nHead)) {
                nDone = nHead - nStartHead;
            }
        } else {
            nDone += nPerChange;
        }
        if (nChanges % kChangesPerLook == 0) {
            m_host.SetProgressPos(std::min(nDone, journal.m_nBytes));
            if (Stopped()) {
                return false;
            }
        }
    }
    m_host.SetProgressPos(0);
    return true;
}

// One change of the cycle folder's entries that writes nothing but metadata: an empty filler
// made and deleted, the folder flushed (which commits it to the journal). False, with the
// failure's line, when it could not be made or stays.
bool CFreeSpaceNames::MakeChange() {
    const std::string& folder = m_strChangesPath;
    std::string name;
    std::unique_ptr<IFileHandle> file;
    CFileError error;
    for (int nTry = 0; nTry < 4 && !file; ++nTry) {
        name = m_drawer.Filler(kMinFillerLength);
        file = m_changes->CreateNewFile(name, JoinPath(folder, name), error);
        if (!file && error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    if (!file) {
        m_engine.Fail(Quote(lines::kCreateFileFailed, JoinPath(folder, name), error));
        return false;
    }
    file->Close(error);
    if (!m_changes->Delete(name, error)) {
        m_engine.Fail(Quote(lines::kDeleteFailed, JoinPath(folder, name), error));
        return false;
    }
    if (!m_changes->FlushEntries(error)) {
        m_engine.Fail(Quote(lines::kCloseFailed, folder, error));
        return false;
    }
    return true;
}

// The abort check: the user stopped the step (said once).
bool CFreeSpaceNames::Stopped() {
    if (!m_bAborted && m_host.IsAborted()) {
        m_bAborted = true;
        m_engine.NoteAborted();
        m_engine.Fail(lines::NamesAborted(m_strTopPath));
    }
    return m_bAborted;
}

}  // namespace quorrel

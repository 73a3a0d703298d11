// WIPE Free Space: the run around the fill, the work folder and its removal, and the words
// the run and its question use.
#include "engine/FreeSpaceRun.h"

#include <cctype>
#include <cstdio>

#include "engine/FileShredder.h"
#include "engine/FreeSpaceFill.h"
#include "engine/FreeSpaceNames.h"
#include "engine/LogLines.h"
#include "engine/WipeMethod.h"

namespace quorrel {

const char* const kFreeSpaceWorkFolder = ".quorrel-free-space";

namespace {

// The permission bits of the work folder: its owner's alone.
constexpr std::uint32_t kWorkFolderMode = 0700;

}  // namespace

bool IsFillName(const std::string& name) {
    if (name.size() < 11 ||
        (name.compare(0, 5, "fill-") != 0 && name.compare(0, 5, "tail-") != 0)) {
        return false;
    }
    for (std::size_t i = 5; i < name.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    return true;
}

bool DescribeFreeSpace(IFileSystem& fileSystem, const std::string& folder, CFreeSpaceFacts& facts,
                       std::string& line) {
    CFileError error;
    std::unique_ptr<IFolder> chosen = fileSystem.OpenFolder(folder, error);
    if (!chosen) {
        line = Quote(lines::kOpenFolderFailed, folder, error);
        return false;
    }
    const CVolumeFacts volume = chosen->GetVolume();
    CVolumeSpace space;
    if (volume.m_bPseudo) {
        line = lines::PseudoFileSystem(folder, volume.m_strType);
        return false;
    }
    if (!chosen->GetSpace(space, error)) {
        line = Quote(lines::kSpaceUnreadable, folder, error);
        return false;
    }
    if (space.m_bReadOnly) {
        line = lines::ReadOnly(folder);
        return false;
    }
    std::unique_ptr<IFolder> top = chosen->OpenVolumeTop(facts.strTop, error);
    if (facts.strTop.empty()) {
        facts.strTop = folder;
    }
    facts.strType = volume.m_strType;
    facts.nFreeBytes = Reachable(space);
    facts.folderId = chosen->GetId();
    return true;
}

std::string FreeSpaceQuestion(const CFreeSpaceFacts& facts) {
    return lines::FreeSpaceQuestion(facts.strTop, facts.strType, FormatBytes(facts.nFreeBytes));
}

CFreeSpaceFill::CFreeSpaceFill(CWipeEngine& engine, const std::string& folder,
                               const CFreeSpaceFacts* pKnown)
    : m_engine(engine),
      m_host(engine.Host()),
      m_strFolder(folder),
      m_strTopPath(folder),
      m_pKnown(pKnown) {}

bool CFreeSpaceFill::Run() {
    if (!Open()) {
        return false;
    }
    CFreeSpaceNames names(m_engine, *m_chosen, m_strFolder, *m_top, m_strTopPath,
                          m_chosen->GetId() == m_top->GetId());
    names.RemoveLeftovers();
    if (!CreateWorkFolder()) {
        return false;
    }
    m_host.AddLine(lines::WipeingFreeSpace(m_strWorkPath));
    if (m_volume.m_bCopyOnWrite) {
        m_engine.Warn(lines::FreeSpaceCopyOnWrite(m_strTopPath, m_volume.m_strType));
    }
    m_host.SetProgressRange(m_nRange);
    m_host.SetProgressPos(0);
    FillBigFiles();
    FillTailFiles();
    FinishHeldFile();
    if (!m_bAborted && !m_bFailed) {
        ReportUnreached();
    }
    // The blocks the work folder and the fill files' own bookkeeping took during the fill were
    // free before it, and a journaled file system writes them in place only when its journal is
    // written out, which their removal cancels: so it is written out now.
    m_work->SettleInPlace();
    const bool bRemoved = RemoveWork();
    m_host.SetProgressPos(0);
    if (m_bAborted) {
        m_engine.Fail(lines::FreeSpaceAborted(m_strTopPath));
        return false;
    }
    // Old names are cleared once the fill went through: the journal's writing over also takes
    // the fill's own work folder out of it.
    const bool bFilled = bRemoved && !m_bFailed && !m_bLeftoverStays;
    const bool bNamed = bFilled && names.Run();
    if (bRemoved && !m_host.IsAborted()) {
        TrimFreeSpace();  // what the fill and the names step freed, and what no file reached
    }
    return bNamed;
}

// Tells the drive which blocks are free now: a flash drive may then erase the cells that held
// them, and a device over an image file punches them out of the image. It also reaches what no
// file could (the blocks a file system keeps back for itself). Asked a slice at a time, as one
// call over a large disk can take long, and the window must keep painting.
void CFreeSpaceFill::TrimFreeSpace() {
    constexpr std::int64_t kSliceBytes = std::int64_t{4} << 30;
    std::int64_t nTold = 0;
    CTrimResult result;
    for (std::int64_t nAt = 0;; nAt += kSliceBytes) {
        // The file system's blocks may reach past what it counts as its size: the last slice
        // goes to its end.
        const bool bLast = nAt + kSliceBytes >= m_start.m_nTotalBytes;
        result = m_top->TrimFreeSpace(nAt, bLast ? -1 : kSliceBytes);
        if (result.m_eResult != ETrim::Done || bLast) {
            break;
        }
        nTold += result.m_nBytes;
        m_host.KeepAlive();
    }
    switch (result.m_eResult) {
        case ETrim::Done:
            m_host.AddLine(lines::TrimDone(m_strTopPath, FormatBytes(nTold + result.m_nBytes)));
            break;
        case ETrim::Unsupported:
            m_host.AddLine(lines::TrimUnsupported(m_strTopPath));
            break;
        case ETrim::NotAllowed:
            m_host.AddLine(lines::TrimNotAsked(m_strTopPath, lines::kTrimNeedsAdministrator));
            break;
        case ETrim::NotOffered:
            if (!result.m_strWhy.empty()) {
                m_host.AddLine(lines::TrimNotAsked(m_strTopPath, result.m_strWhy));
            }
            break;
        case ETrim::Failed:
            m_engine.Warn(lines::TrimFailed(m_strTopPath, result.m_strWhy));
            break;
    }
}

// Opens the chosen folder and the top of its file system, and refuses what may not be written:
// by describing it first, or, where the question's facts are known, by checking that the
// folder opened now is the one they describe.
bool CFreeSpaceFill::Open() {
    CFreeSpaceFacts facts;
    std::string line;
    if (m_pKnown == nullptr && !DescribeFreeSpace(m_engine.Files(), m_strFolder, facts, line)) {
        m_engine.Fail(line);
        return false;
    }
    CFileError error;
    m_chosen = m_engine.Files().OpenFolder(m_strFolder, error);
    if (m_chosen) {
        m_top = m_chosen->OpenVolumeTop(m_strTopPath, error);
    }
    if (!m_chosen || !m_top || !m_chosen->GetSpace(m_start, error)) {
        m_engine.Fail(Quote(lines::kOpenFolderFailed, m_strFolder, error));
        return false;
    }
    if (m_strTopPath.empty()) {
        m_strTopPath = m_strFolder;
    }
    m_volume = m_chosen->GetVolume();
    if (m_pKnown != nullptr && !StillDescribed()) {
        return false;
    }
    m_nPasses = m_engine.Writer().PassCount();
    m_nRange = Reachable(m_start) * m_nPasses;
    return true;
}

// The folder opened by handle is the one the question's facts were taken from (and so on the
// file system it named, which was neither a kernel nor a read-only one), and it may still be
// written. A folder swapped or remounted since is refused: the answer was about another.
bool CFreeSpaceFill::StillDescribed() {
    if (!(m_chosen->GetId() == m_pKnown->folderId)) {
        m_engine.Fail(lines::NoLongerDescribed(m_strFolder));
        return false;
    }
    if (m_start.m_bReadOnly) {
        m_engine.Fail(lines::ReadOnly(m_strFolder));
        return false;
    }
    return true;
}

// Clears the way for the work folder `name` in `parent`: a work folder an earlier run of this
// user's left there (a crash or a power cut) is removed. Only a real folder of the run's own
// making is touched: this user's, owner-only, holding nothing but fill files; anything else of
// that name is named once and left alone. True when the name is free now.
bool CFreeSpaceFill::RemoveLeftover(IFolder& parent, const std::string& parentPath,
                                    const std::string& name) {
    CDirEntry entry;
    CFileError error;
    if (!parent.Lookup(name, entry, error)) {
        return true;  // none there
    }
    const std::string path = JoinPath(parentPath, name);
    const std::int64_t nUser = CurrentUserNumber();
    std::unique_ptr<IFolder> left;
    std::vector<CDirEntry> entries;
    if ((entry.m_attributes & kAttrDirectory) == 0 ||
        (entry.m_mode != 0 && (entry.m_mode & 0777) != kWorkFolderMode) ||
        (nUser >= 0 && entry.m_nOwner >= 0 && entry.m_nOwner != nUser) ||
        !(left = parent.OpenFolder(entry, error)) || !left->List(entries, error)) {
        NameForeign(lines::NotOurWorkFolder(path));
        return false;
    }
    for (const CDirEntry& item : entries) {
        if (!IsFillName(item.m_strName) || !IsPlainFile(item.m_attributes) || item.m_nLinks > 1) {
            NameForeign(lines::ForeignInWorkFolder(path, item.m_strName));
            return false;
        }
    }
    for (const CDirEntry& item : entries) {
        if (!left->DeleteListed(item, item.m_strName, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, JoinPath(path, item.m_strName), error));
            m_bLeftoverStays = true;
            return false;
        }
    }
    left.reset();  // some systems refuse to remove a folder that is held open
    if (!parent.RemoveFolder(name, error)) {
        m_engine.Fail(lines::FolderNotRemoved(path));
        m_bLeftoverStays = true;
        return false;
    }
    m_host.AddLine(lines::LeftoverRemoved(path));
    return true;
}

// Says once that an entry in the work folder's way was left alone: the run goes on beside it.
void CFreeSpaceFill::NameForeign(const std::string& line) {
    if (m_foreignNamed.insert(line).second) {
        m_host.AddLine(line);
    }
}

// Makes the work folder in `parent`: the usual name, or where that is not free (and `bOthers`
// allows), the usual name with "-2", "-3", ... A foreign entry in the way sets `bForeign`.
bool CFreeSpaceFill::MakeWorkIn(IFolder& parent, const std::string& parentPath, bool bOthers,
                                CFileError& error, bool& bForeign) {
    for (int nName = 1; nName <= (bOthers ? kWorkNames : 1); ++nName) {
        const std::string name = nName == 1 ? std::string(kFreeSpaceWorkFolder)
                                            : kFreeSpaceWorkFolder + ("-" + std::to_string(nName));
        if (!RemoveLeftover(parent, parentPath, name)) {
            bForeign = true;
            continue;
        }
        m_work = parent.CreateNewFolder(name, kWorkFolderMode, error);
        if (m_work) {
            m_pWorkParent = &parent;
            m_strWorkName = name;
            m_strWorkPath = JoinPath(parentPath, name);
            return true;
        }
        if (error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    m_strWorkPath = JoinPath(parentPath, kFreeSpaceWorkFolder);
    return false;
}

// Makes the work folder at the top of the file system, or in the chosen folder where the top
// may not be written (a user's home on the system's disk) or holds another user's folder of
// that name: nobody else's leftover keeps a run from going on. A leftover of this user's in the
// chosen folder is removed as well.
bool CFreeSpaceFill::CreateWorkFolder() {
    const bool bSame = m_chosen->GetId() == m_top->GetId();
    if (!bSame) {
        RemoveLeftover(*m_chosen, m_strFolder, kFreeSpaceWorkFolder);
    }
    CFileError error;
    bool bForeign = false;
    if (!MakeWorkIn(*m_top, m_strTopPath, bSame, error, bForeign) && !bSame &&
        (bForeign || error.m_nCause == kCauseAccessDenied)) {
        MakeWorkIn(*m_chosen, m_strFolder, true, error, bForeign);
    }
    if (!m_work) {
        m_engine.Fail(Quote(lines::kCreateFolderFailed, m_strWorkPath, error));
        return false;
    }
    // The work folder's first block may be one a deleted file left, and the fill can never
    // reach it while the folder stands. A journaled file system writes that block in place
    // only when its journal is written out, which the folder's removal at the end cancels: so
    // it is written out now.
    m_work->SettleInPlace();
    return true;
}

// Says how much free space the fill could not reach: the administrator's reserve for anyone
// else, and what the file system keeps back for its own use.
void CFreeSpaceFill::ReportUnreached() {
    CVolumeSpace now;
    CFileError error;
    if (!m_work->GetSpace(now, error)) {
        return;
    }
    const std::int64_t nSlack = kSlackBlocks * std::max<std::int64_t>(now.m_nBlockBytes, 512);
    if (now.m_nFreeBytes <= nSlack) {
        // xfs hides its reserve pool from the free space it tells (5% of the disk, up to
        // 8192 blocks): no file reaches those blocks, so say so.
        if (m_volume.m_strType == "xfs") {
            m_engine.Warn(lines::XfsReserve(m_strTopPath));
        }
        return;
    }
    const std::int64_t nReserve = m_start.m_nFreeBytes - m_start.m_nAvailableBytes;
    const bool bReserve = !m_start.m_bMayUseReserve && nReserve > nSlack;
    m_engine.Warn(lines::FreeSpaceUnreached(FormatBytes(now.m_nFreeBytes), m_strTopPath,
                                            bReserve ? FormatBytes(nReserve) : std::string()));
}

// Removes every file the run made and its work folder. False (with the lines written) when
// something stays.
bool CFreeSpaceFill::RemoveWork() {
    m_held = CHeldFile();  // closed before it is deleted
    bool bOk = true;
    for (const std::string& name : m_created) {
        CFileError error;
        if (!m_work->Delete(name, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, WorkPath(name), error));
            bOk = false;
        }
    }
    bOk = RemoveMaybeMade() && bOk;
    m_host.AddLine(lines::FreeSpaceWritten(FormatBytes(m_nWritten), m_nBigFiles, m_nTailFiles));
    m_work.reset();
    CFileError error;
    if (!bOk || !m_pWorkParent->RemoveFolder(m_strWorkName, error)) {
        m_engine.Fail(lines::FolderNotRemoved(m_strWorkPath));
        return false;
    }
    m_host.AddLine(lines::FolderRemoved(m_strWorkPath));
    return true;
}

// A create that failed may have made its entry all the same (a FUSE driver that makes the
// name and then fails to open it). Such an entry can only be the run's own: the name was free
// when it was asked for (else the create says the name is taken) in a folder only the run's
// user may enter. It is removed when it is there as a plain file. False when one stays.
bool CFreeSpaceFill::RemoveMaybeMade() {
    bool bOk = true;
    for (const std::string& name : m_maybeMade) {
        CDirEntry entry;
        CFileError error;
        if (m_work->Lookup(name, entry, error) && IsPlainFile(entry.m_attributes) &&
            !m_work->Delete(name, error)) {
            m_engine.Fail(Quote(lines::kDeleteFailed, WorkPath(name), error));
            bOk = false;
        }
    }
    return bOk;
}

namespace {

bool RunFill(CWipeEngine& engine, const std::string& folder, const CFreeSpaceFacts* pKnown) {
    IRunHost& host = engine.Host();
    host.AddLine(lines::FreeSpaceBanner(folder, WipeMethodName(engine.GetWipeMethod())));
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    CFreeSpaceFill fill(engine, folder, pKnown);
    const bool bDone = fill.Run();
    host.EndRun();
    if (bDone) {
        host.AddLine(lines::FreeSpaceEnd(fill.TopPath()));
    } else {
        engine.Fail(lines::FreeSpaceFailed(folder));
    }
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return bDone;
}

}  // namespace

bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder) {
    return RunFill(engine, folder, nullptr);
}

bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder,
                      const CFreeSpaceFacts& facts) {
    return RunFill(engine, folder, &facts);
}

}  // namespace quorrel

// Filling the free space: big files until the file system is full, then small ones for the
// last partial blocks and file records. Every file gets every pass of the current method,
// each pass flushed to the medium, as a shredded file does.
#include <algorithm>
#include <cstdio>

#include "engine/file/FileShredder.h"
#include "engine/freespace/FreeSpaceFill.h"
#include "engine/freespace/FreeSpaceNames.h"
#include "engine/log/LogLines.h"

namespace quorrel {

namespace {

// Names tried before a file is given up: an entry of that name appeared meanwhile.
constexpr int kNameTries = 16;
// Rounds of topping a full file up: each starts with a flush, which frees what the file
// system held back for data not yet written (delayed allocation).
constexpr int kTopUpRounds = 4;

std::string NumberedName(const char* pszPrefix, int nNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "%s-%06d", pszPrefix, nNumber);
    return name;
}

}  // namespace

CFreeSpaceFill::CFreeSpaceFill(CWipeEngine& engine, const std::string& folder,
                               const CFreeSpaceFacts* pKnown)
    : m_engine(engine),
      m_host(engine.Host()),
      m_strFolder(folder),
      m_strTopPath(folder),
      m_pKnown(pKnown),
      m_workFolder(engine) {}

bool CFreeSpaceFill::Run() {
    if (!Open()) {
        return false;
    }
    CFreeSpaceNames names(m_engine, *m_chosen, m_strFolder, *m_top, m_strTopPath,
                          m_chosen->GetId() == m_top->GetId());
    names.RemoveLeftovers();
    if (!m_workFolder.Make(*m_chosen, m_strFolder, *m_top, m_strTopPath)) {
        return false;
    }
    m_work = &m_workFolder.Folder();
    m_host.AddLine(lines::WipeingFreeSpace(m_workFolder.Path()));
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
    m_workFolder.Settle();
    const bool bRemoved = RemoveWork();
    m_host.SetProgressPos(0);
    if (m_bAborted) {
        m_engine.Fail(lines::FreeSpaceAborted(m_strTopPath));
        return false;
    }
    // Old names are cleared once the fill went through: the journal's writing over also takes
    // the fill's own work folder out of it.
    const bool bFilled = bRemoved && !m_bFailed && !m_workFolder.LeftoverStays();
    const bool bNamed = bFilled && names.Run();
    if (bRemoved && !m_host.IsAborted()) {
        TrimFreeSpace();  // what the fill and the names step freed, and what no file reached
    }
    return bNamed;
}

// Removes every file the run made and its work folder, saying between the two what the fill
// wrote. False (with the lines written) when something stays.
bool CFreeSpaceFill::RemoveWork() {
    m_held = CHeldFile();  // closed before it is deleted
    const bool bFilesGone = m_workFolder.RemoveFiles();
    m_host.AddLine(lines::FreeSpaceWritten(FormatBytes(m_nWritten), m_nBigFiles, m_nTailFiles));
    m_work = nullptr;
    return m_workFolder.RemoveFolder(bFilesGone);
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

bool CFreeSpaceFill::Stopped() {
    if (!m_bAborted && m_host.IsAborted()) {
        m_bAborted = true;
    }
    return m_bAborted || m_bFailed;
}

void CFreeSpaceFill::Step(std::int64_t nBytes) {
    m_nWritten += nBytes;
    const std::int64_t nPos = std::min(m_nProgress + nBytes, m_nRange);
    m_host.StepProgress(nPos - m_nProgress);
    m_nProgress = nPos;
}

std::string CFreeSpaceFill::WorkPath(const std::string& name) const {
    return m_workFolder.PathOf(name);
}

// Big files until only kReserveBlocks are left, or the file system says it is full. The
// last one is held open with its first pass only, to be topped up and finished after the
// small files: they need those last free blocks to be made at all (xfs makes no file on a
// full disk), and only they reach the odd free block between others' files. A file system
// that never fills (one that compresses what it stores) is stopped after twice its size.
void CFreeSpaceFill::FillBigFiles() {
    while (!m_bFull && !Stopped()) {
        if (m_nWritten > 2 * std::max<std::int64_t>(m_start.m_nTotalBytes, 1) * m_nPasses) {
            m_engine.Warn(lines::NeverFull(m_strTopPath));
            return;
        }
        const std::int64_t nRoom = std::min(RoomAboveReserve(), kFillFileBytes);
        if (nRoom <= 0) {
            return;
        }
        CHeldFile fill;
        if (!CreateFill("fill", fill) ||
            !WriteFirstPass(*fill.file, fill.path, nRoom, false, fill.nLength)) {
            return;
        }
        ++m_nBigFiles;
        if (m_bFull || fill.nLength < kFillFileBytes) {
            m_held = std::move(fill);
            return;
        }
        if (!FinishFile(fill)) {
            return;
        }
    }
}

// The bytes a big file may take before only the small files' reserve is left.
std::int64_t CFreeSpaceFill::RoomAboveReserve() {
    CVolumeSpace now;
    CFileError error;
    if (!m_work->GetSpace(now, error)) {
        return kFillFileBytes;  // the disk's full answer ends the fill all the same
    }
    const std::int64_t nBlock = std::max<std::int64_t>(now.m_nBlockBytes, 512);
    return (Reachable(now) / nBlock - kReserveBlocks) * nBlock;
}

// Small files in what the big ones left: a block each while blocks are free, then what a
// partial block or a file record still holds (NTFS keeps a small file's data and name in its
// record). Ends when no file can be made any more or several in a row took nothing.
void CFreeSpaceFill::FillTailFiles() {
    m_nTailBytes = std::max<std::int64_t>(m_start.m_nBlockBytes, kMinTailBytes);
    int nEmpty = 0;
    while (nEmpty < kMaxEmptyTails && m_nTailFiles < kMaxTailFiles && !Stopped()) {
        CHeldFile tail;
        if (!CreateFill("tail", tail) ||
            !WriteFirstPass(*tail.file, tail.path, m_nTailBytes, true, tail.nLength) ||
            !FinishFile(tail)) {
            return;
        }
        ++m_nTailFiles;
        nEmpty = tail.nLength > 0 ? 0 : nEmpty + 1;
    }
}

// The big file held since the disk filled: topped up with whatever the small files left,
// then given its other passes and closed.
void CFreeSpaceFill::FinishHeldFile() {
    if (m_held.file && !Stopped() && !m_bFailed &&
        TopUp(*m_held.file, m_held.path, kFillFileBytes, m_held.nLength)) {
        FinishFile(m_held);
    }
    m_held = CHeldFile();
}

// Makes one new file in the work folder. False when none could be made: for want of space
// (m_bFull) or with a failure line (m_bFailed). A name whose making failed otherwise is
// remembered, as the entry may have been made all the same.
bool CFreeSpaceFill::CreateFill(const char* pszPrefix, CHeldFile& fill) {
    std::string name;
    CFileError error;
    for (int nTry = 0; nTry < kNameTries && !fill.file; ++nTry) {
        name = NumberedName(pszPrefix, ++m_nNextName);
        fill.file = m_work->CreateNewFile(name, WorkPath(name), error);
        if (!fill.file && error.m_eFault != EFileFault::NameTaken) {
            m_workFolder.NoteMaybeMade(name);
            break;
        }
    }
    if (!fill.file) {
        if (FullAnswer(error)) {
            m_bFull = true;
        } else {
            m_bFailed = true;
            m_engine.Fail(Quote(lines::kCreateFileFailed, WorkPath(name), error));
        }
        return false;
    }
    m_workFolder.NoteMade(name);
    fill.path = WorkPath(name);
    m_engine.Writer().BeginFile();
    return true;
}

// Writes the passes after the first over what `fill` stored and closes it.
bool CFreeSpaceFill::FinishFile(CHeldFile& fill) {
    CFileError error;
    if (!WriteLaterPasses(*fill.file, fill.path, fill.nLength)) {
        return false;
    }
    if (!fill.file->Close(error) && !(m_bFull && FullAnswer(error))) {
        m_bFailed = true;
        m_engine.Fail(Quote(lines::kCloseFailed, fill.path, error));
        return false;
    }
    fill.file.reset();
    return !Stopped();
}

// The first pass: up to `nLimit` bytes, or what the disk takes, flushed. A small file that
// finds no room for its offer is offered half as much, down to kMinTailBytes.
bool CFreeSpaceFill::WriteFirstPass(IFileHandle& file, const std::string& path, std::int64_t nLimit,
                                    bool bTail, std::int64_t& nLength) {
    const std::uint8_t nByte = m_engine.Writer().PassByte(0);
    m_host.OnPassStart(path, 0, m_nPasses);
    std::int64_t nOffer = nLimit;
    for (;;) {
        CFileError error;
        std::int64_t nStored = 0;
        if (WriteSpan(file, 0, nOffer, nByte, nStored, error)) {
            nLength = nStored;
            return FlushFile(file, path);
        }
        if (!FullAnswer(error) || !file.GetLength(nLength, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote(lines::kWriteFailed, path, error));
            return false;
        }
        m_bFull = true;
        if (!bTail || nLength > 0 || nOffer <= kMinTailBytes) {
            return FlushFile(file, path);
        }
        nOffer /= 2;
        m_nTailBytes = nOffer;
    }
}

// Once the small files are made: a flush lets the file system give back what it held for data
// not yet written (delayed allocation, speculative preallocation), and the file grows a block
// at a time into that, until a round gains nothing.
bool CFreeSpaceFill::TopUp(IFileHandle& file, const std::string& path, std::int64_t nLimit,
                           std::int64_t& nLength) {
    const std::uint8_t nByte = m_engine.Writer().PassByte(0);
    const std::int64_t nBlock = std::max<std::int64_t>(m_start.m_nBlockBytes, 512);
    for (int nRound = 0; nRound < kTopUpRounds && nLength < nLimit && !Stopped(); ++nRound) {
        CFileError error;
        if (!file.Flush(error) && !FullAnswer(error)) {
            break;
        }
        error = CFileError();
        const std::int64_t nBefore = nLength;
        std::int64_t nStored = 1;
        while (
            nStored > 0 && nLength < nLimit && !Stopped() &&
            WriteSpan(file, nLength, std::min(nBlock, nLimit - nLength), nByte, nStored, error)) {
            nLength += nStored;
        }
        if ((error.m_nCause != kCauseNone && !FullAnswer(error)) ||
            !file.GetLength(nLength, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote(lines::kWriteFailed, path, error));
            return false;
        }
        if (nLength == nBefore) {
            break;
        }
    }
    return FlushFile(file, path);
}

// Passes two and on, each over the bytes the first pass stored, each flushed.
bool CFreeSpaceFill::WriteLaterPasses(IFileHandle& file, const std::string& path,
                                      std::int64_t nLength) {
    for (int nPass = 1; nPass < m_nPasses && nLength > 0 && !Stopped(); ++nPass) {
        m_host.OnPassStart(path, nPass, m_nPasses);
        CFileError error;
        std::int64_t nStored = 0;
        const std::uint8_t nByte = m_engine.Writer().PassByte(nPass);
        if (!WriteSpan(file, 0, nLength, nByte, nStored, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote(lines::kWriteFailed, path, error));
            return false;
        }
        if (!FlushFile(file, path)) {
            return false;
        }
    }
    return true;
}

// Writes `nBytes` of the pass from `nStart` with the engine's writer, which asks before each
// chunk whether the run stopped and reports each chunk to the progress. True when all were
// written or the run stopped; false with `error` when a write failed (`nStored` tells how far
// it got).
bool CFreeSpaceFill::WriteSpan(IFileHandle& file, std::int64_t nStart, std::int64_t nBytes,
                               std::uint8_t nByte, std::int64_t& nStored, CFileError& error) {
    nStored = 0;
    return file.SeekTo(nStart, error) &&
           m_engine.Writer().WriteSpan(file, nStart, nBytes, nByte, *this, nStored, error);
}

// True when `error` says the disk is full. fusefat answers a full disk with "access denied"
// (EPERM) on writes and on creates. Taking that for full is safe only because the file or
// folder is this run's own: the run made its work folder (owner-only) and every file in it,
// and opened each for writing as it made it, so permission was granted already; and it
// counts as full only when the volume itself says no block is left. Anything else stays a
// failure, with its line.
bool CFreeSpaceFill::FullAnswer(const CFileError& error) {
    if (error.m_nCause == kCauseDiskFull) {
        return true;
    }
    CVolumeSpace now;
    CFileError spaceError;
    return error.m_nCause == kCauseAccessDenied && m_work->GetSpace(now, spaceError) &&
           Reachable(now) < std::max<std::int64_t>(now.m_nBlockBytes, 512);
}

// Forces the pass down to the medium. A disk-full answer here (data the file system could not
// place after all) ends the fill like any other.
bool CFreeSpaceFill::FlushFile(IFileHandle& file, const std::string& path) {
    CFileError error;
    if (file.Flush(error)) {
        return true;
    }
    if (FullAnswer(error)) {
        m_bFull = true;
        return true;
    }
    m_bFailed = true;
    m_engine.Fail(Quote(lines::kWriteFailed, path, error));
    return false;
}

}  // namespace quorrel

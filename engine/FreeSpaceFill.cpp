// Filling the free space: big files until the file system is full, then small ones for the
// last partial blocks and file records. Every file gets every pass of the current method,
// each pass flushed to the medium, as a shredded file does.
#include <algorithm>
#include <cstdio>

#include "FileRun.h"
#include "FreeSpaceFill.h"
#include "WipeMethod.h"

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
    return JoinPath(m_strWorkPath, name);
}

// Big files until the file system reports itself full. A file system that never does (one
// that compresses what it stores) is stopped after twice its size.
void CFreeSpaceFill::FillBigFiles() {
    while (!m_bFull && !Stopped()) {
        if (m_nWritten > 2 * std::max<std::int64_t>(m_start.m_nTotalBytes, 1) * m_nPasses) {
            m_engine.Warn("* " + m_strTopPath + " took more than twice its size without filling "
                          "up (it may compress what it stores): its free space may not be "
                          "overwritten");
            return;
        }
        std::int64_t nLength = 0;
        const EFill result = FillFile("fill", kFillFileBytes, false, nLength);
        if (result != EFill::Done) {
            return;
        }
        ++m_nBigFiles;
    }
}

// Small files once the big ones filled the disk: each takes what a partial block or a file
// record still holds (NTFS keeps a small file's data and name in its record). Ends when no
// file can be made any more or several in a row took nothing.
void CFreeSpaceFill::FillTailFiles() {
    m_nTailBytes = std::max<std::int64_t>(m_start.m_nBlockBytes, kMinTailBytes);
    int nEmpty = 0;
    while (nEmpty < kMaxEmptyTails && m_nTailFiles < kMaxTailFiles && !Stopped()) {
        std::int64_t nLength = 0;
        if (FillFile("tail", m_nTailBytes, true, nLength) != EFill::Done) {
            return;
        }
        ++m_nTailFiles;
        nEmpty = nLength > 0 ? 0 : nEmpty + 1;
    }
}

// Makes one new file in the work folder and writes every pass into it: the first as far as
// `nLimit` or the disk allows, the others over what the first stored. NoRoom when no file
// could be made for want of space.
CFreeSpaceFill::EFill CFreeSpaceFill::FillFile(const char* pszPrefix, std::int64_t nLimit,
                                               bool bTail, std::int64_t& nLength) {
    std::unique_ptr<IFileHandle> file;
    std::string name;
    CFileError error;
    for (int nTry = 0; nTry < kNameTries && !file; ++nTry) {
        name = NumberedName(pszPrefix, ++m_nNextName);
        file = m_work->CreateNewFile(name, WorkPath(name), error);
        if (!file && error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    if (!file) {
        if (DiskFull(error)) {
            m_bFull = true;
            return EFill::NoRoom;
        }
        m_bFailed = true;
        m_engine.Fail(Quote("* Error creating file ", WorkPath(name), error));
        return EFill::Failed;
    }
    m_created.push_back(name);
    const std::string path = WorkPath(name);
    if (m_engine.m_nWipeMethod == kWipeMethodRandom) {
        m_engine.m_random.Seed(static_cast<std::uint32_t>(m_engine.m_clock()));
    }
    const bool bOk = WriteFirstPass(*file, path, nLimit, bTail, nLength) &&
                     WriteLaterPasses(*file, path, nLength) && file->Close(error);
    if (!bOk && !m_bFailed) {
        m_bFailed = true;
        m_engine.Fail(Quote("* Error closeing the file ", path, error));
    }
    return m_bFailed ? EFill::Failed : EFill::Done;
}

// The first pass: up to `nLimit` bytes, or what the disk takes. A small file that finds no
// room for its offer is offered half as much, down to kMinTailBytes; a big one is topped up.
bool CFreeSpaceFill::WriteFirstPass(IFileHandle& file, const std::string& path,
                                    std::int64_t nLimit, bool bTail, std::int64_t& nLength) {
    const std::uint8_t nByte = WipePassByte(m_engine.m_nWipeMethod, 0);
    m_host.OnPassStart(path, 0, m_nPasses);
    std::int64_t nOffer = nLimit;
    for (;;) {
        CFileError error;
        std::int64_t nStored = 0;
        if (WriteSpan(file, path, 0, nOffer, nByte, nStored, error)) {
            nLength = nStored;
            return FlushFile(file, path);
        }
        if ((!DiskFull(error) && !LooksFull()) || !file.GetLength(nLength, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote("* Error writing to file ", path, error));
            return false;
        }
        m_bFull = true;
        if (!bTail || nLength > 0 || nOffer <= kMinTailBytes) {
            break;
        }
        nOffer /= 2;
        m_nTailBytes = nOffer;
    }
    return bTail ? FlushFile(file, path) : TopUp(file, path, nLimit, nLength);
}

// Once the disk is full: a flush lets the file system give back what it held for data not yet
// written, and the file grows a block at a time into that, until a round gains nothing.
bool CFreeSpaceFill::TopUp(IFileHandle& file, const std::string& path, std::int64_t nLimit,
                           std::int64_t& nLength) {
    const std::uint8_t nByte = WipePassByte(m_engine.m_nWipeMethod, 0);
    const std::int64_t nBlock = std::max<std::int64_t>(m_start.m_nBlockBytes, 512);
    for (int nRound = 0; nRound < kTopUpRounds && nLength < nLimit && !Stopped(); ++nRound) {
        CFileError error;
        if (!file.Flush(error) && !DiskFull(error)) {
            break;
        }
        const std::int64_t nBefore = nLength;
        std::int64_t nStored = 1;
        while (nStored > 0 && nLength < nLimit && !Stopped() &&
               WriteSpan(file, path, nLength, std::min(nBlock, nLimit - nLength), nByte, nStored,
                         error)) {
            nLength += nStored;
        }
        if ((error.m_nCause != kCauseNone && !DiskFull(error)) || !file.GetLength(nLength, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote("* Error writing to file ", path, error));
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
        const std::uint8_t nByte = WipePassByte(m_engine.m_nWipeMethod, nPass);
        if (!WriteSpan(file, path, 0, nLength, nByte, nStored, error)) {
            m_bFailed = true;
            m_engine.Fail(Quote("* Error writing to file ", path, error));
            return false;
        }
        if (!FlushFile(file, path)) {
            return false;
        }
    }
    return true;
}

// Writes `nBytes` of the pass from `nStart` in chunks, with an abort check before and a
// progress step after each, write-back started every slice. True when all were written or the
// run stopped; false with `error` when a write failed (`nStored` tells how far it got).
bool CFreeSpaceFill::WriteSpan(IFileHandle& file, const std::string& path, std::int64_t nStart,
                               std::int64_t nBytes, std::uint8_t nByte, std::int64_t& nStored,
                               CFileError& error) {
    (void)path;
    nStored = 0;
    if (!file.SeekTo(nStart, error)) {
        return false;
    }
    std::int64_t nSinceFlush = 0;
    while (nStored < nBytes && !Stopped()) {
        const std::size_t nChunk = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(CWipeEngine::kChunkBytes), nBytes - nStored));
        m_engine.FillChunk(m_chunk, nChunk, nByte);
        if (!file.Write(m_chunk.data(), nChunk, error)) {
            return false;
        }
        nStored += static_cast<std::int64_t>(nChunk);
        nSinceFlush += static_cast<std::int64_t>(nChunk);
        Step(static_cast<std::int64_t>(nChunk));
        if (nSinceFlush >= CWipeEngine::kFlushSliceBytes && nStored < nBytes) {
            if (!file.StartFlush(error)) {
                return false;
            }
            nSinceFlush = 0;
        }
    }
    return true;
}

// True when the volume has no block left for this run: a driver that reports a full disk as
// another failure (fusefat says "access denied") is taken at its word about the space.
bool CFreeSpaceFill::LooksFull() {
    CVolumeSpace now;
    CFileError error;
    return m_work->GetSpace(now, error) && Reachable(now) < std::max<std::int64_t>(now.m_nBlockBytes, 512);
}

// Forces the pass down to the medium. A disk-full answer here (data the file system could not
// place after all) ends the fill like any other.
bool CFreeSpaceFill::FlushFile(IFileHandle& file, const std::string& path) {
    CFileError error;
    if (file.Flush(error)) {
        return true;
    }
    if (DiskFull(error)) {
        m_bFull = true;
        return true;
    }
    m_bFailed = true;
    m_engine.Fail(Quote("* Error writing to file ", path, error));
    return false;
}

}  // namespace quorrel

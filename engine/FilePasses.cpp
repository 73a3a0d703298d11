// The overwrite passes of one file, the checks after each pass, and the read-back of the last.
#include <algorithm>

#include "engine/FileRun.h"
#include "engine/LogLines.h"
#include "engine/WipeEngine.h"
#include "engine/WipeMethod.h"

namespace quorrel {

// Writes every pass of the current method over the ranges of the file that hold data, each
// pass flushed to the medium before the next begins. Stops early, with true, when the user
// aborts; false (with the line written) when a pass or its read-back failed.
bool CWipeEngine::OverwriteFile(CFileRun& run) {
    const int nPasses = WipePassCount(m_nWipeMethod);
    if (m_nWipeMethod == kWipeMethodRandom) {
        m_random.Seed(static_cast<std::uint32_t>(m_clock()));
    }
    for (int nPass = 0; nPass < nPasses && !m_host.IsAborted(); ++nPass) {
        run.lastPassRandom = m_random;
        run.nLastPassByte = WipePassByte(m_nWipeMethod, nPass);
        run.lastPassRanges = run.ranges;
        m_host.OnPassStart(run.path, nPass, nPasses);
        m_host.SetProgressRange(run.DataBytes());
        m_host.SetProgressPos(0);
        CFileError error;
        if (GainedOtherNames(run) || !WritePass(run, nPass, error) || !CheckUnchanged(run)) {
            return false;
        }
    }
    return !m_bVerify || m_host.IsAborted() || VerifyLastPass(run);
}

// One pass: chunks of the pass pattern over every data range, an abort check before and a
// progress step after each chunk, write-back started every slice and waited for at the end.
bool CWipeEngine::WritePass(CFileRun& run, int nPass, CFileError& error) {
    const std::uint8_t nByte = WipePassByte(m_nWipeMethod, nPass);
    IFileHandle& file = *run.file;
    const auto FlushPass = [&] {
        if (!file.Flush(error)) {
            Fail(Quote(lines::kWriteFailed, run.path, error));
            return false;
        }
        return true;
    };
    std::vector<std::uint8_t> chunk;
    std::int64_t nSinceFlush = 0;
    bool bFirstChunk = true;
    run.nWrittenEnd = 0;
    for (const CDataRange& range : run.ranges) {
        if (!file.SeekTo(range.m_nStart, error)) {
            Fail(Quote(lines::kSeekFailed, run.path, error));
            return false;
        }
        std::int64_t nDone = 0;
        while (nDone < range.m_nLength && !m_host.IsAborted()) {
            const std::size_t nBytes = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(kChunkBytes), range.m_nLength - nDone));
            if (!bFirstChunk &&
                IsCutShort(run, range.m_nStart + nDone + static_cast<std::int64_t>(nBytes))) {
                return FlushPass();
            }
            bFirstChunk = false;
            const std::uint8_t* pBytes = FillChunk(chunk, nBytes, nByte);
            if (!file.Write(pBytes, nBytes, error)) {
                Fail(Quote(lines::kWriteFailed, run.path, error));
                return false;
            }
            nDone += static_cast<std::int64_t>(nBytes);
            run.nWrittenEnd = range.m_nStart + nDone;
            nSinceFlush += static_cast<std::int64_t>(nBytes);
            m_host.StepProgress(static_cast<std::int64_t>(nBytes));
            if (nSinceFlush >= kFlushSliceBytes && nDone < range.m_nLength) {
                if (!file.StartFlush(error)) {
                    Fail(Quote(lines::kWriteFailed, run.path, error));
                    return false;
                }
                nSinceFlush = 0;
            }
        }
    }
    // A pass that wrote nothing (an empty file, one that is all holes) has nothing to put on
    // the medium, and its flush would still cost the device a cache flush.
    return run.nWrittenEnd == 0 || FlushPass();
}

// True when someone else cut the file short of `nEnd` during the pass: writing on would only
// lengthen it again, over blocks that no longer hold its old data.
bool CWipeEngine::IsCutShort(CFileRun& run, std::int64_t nEnd) {
    CFileFacts now;
    CFileError error;
    if (!run.file->GetFacts(now, error) || now.m_size >= nEnd) {
        return false;
    }
    run.bChanged = true;
    return true;
}

// Looks at the file again after a pass. A file that grew has its new part covered by the
// passes still to come; one that shrank is noted: it no longer gets the success line, as part
// of it may remain on the disk. One that gained a name stops here, with its length: the data
// is that name's too.
bool CWipeEngine::CheckUnchanged(CFileRun& run) {
    CFileFacts now;
    CFileError error;
    if (!run.file->GetFacts(now, error)) {
        Fail(Quote(lines::kSeekFailed, run.path, error));
        return false;
    }
    if (now.m_nLinks > 1) {
        Fail(lines::HardLinked(run.path, now.m_nLinks));
        return false;
    }
    if (now.m_id != run.facts.m_id || now.m_nLinks != run.facts.m_nLinks) {
        run.bChanged = true;
    }
    if (now.m_size > run.nLength) {
        run.ranges.push_back(CDataRange{run.nLength, now.m_size - run.nLength});
        run.nLength = now.m_size;
        run.bChanged = true;
    } else if (now.m_size < run.nLength) {
        run.bChanged = true;
    }
    run.facts = now;
    return true;
}

// The part of the last pass's ranges that it wrote and the file still holds: a file that
// grew during that pass has a new end no pass wrote, one cut short lost what lay past its end.
namespace {
std::vector<CDataRange> WrittenByLastPass(const std::vector<CDataRange>& ranges,
                                          std::int64_t nEnd) {
    std::vector<CDataRange> written;
    for (const CDataRange& range : ranges) {
        const std::int64_t nLength = std::min(range.m_nLength, nEnd - range.m_nStart);
        if (nLength > 0) {
            written.push_back(CDataRange{range.m_nStart, nLength});
        }
    }
    return written;
}
}  // namespace

// Reads the file back from the medium and compares it with what the last pass wrote. A file
// that does not read back as written is left in place, overwritten, and counts as failed.
bool CWipeEngine::VerifyLastPass(CFileRun& run) {
    std::swap(m_random, run.lastPassRandom);  // the generator as the last pass found it
    std::vector<std::uint8_t> expected;
    std::vector<std::uint8_t> actual;
    bool bSame = true;
    CFileError error;
    const std::vector<CDataRange> written =
        WrittenByLastPass(run.lastPassRanges, std::min(run.nWrittenEnd, run.facts.m_size));
    std::int64_t nBytesToRead = 0;
    for (const CDataRange& range : written) {
        nBytesToRead += range.m_nLength;
    }
    m_host.SetProgressRange(nBytesToRead);
    m_host.SetProgressPos(0);
    for (const CDataRange& range : written) {
        for (std::int64_t nDone = 0; bSame && nDone < range.m_nLength;) {
            const std::size_t nBytes = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(kChunkBytes), range.m_nLength - nDone));
            const std::uint8_t* pExpected = FillChunk(expected, nBytes, run.nLastPassByte);
            actual.resize(nBytes);
            const std::int64_t nOffset = range.m_nStart + nDone;
            if (!run.file->ReadBack(nOffset, actual.data(), nBytes, error)) {
                std::swap(m_random, run.lastPassRandom);
                Fail(lines::VerifyError(run.path, error.GetErrorMessage()));
                return false;
            }
            const auto diff = std::mismatch(actual.begin(), actual.end(), pExpected);
            if (diff.first != actual.end()) {
                bSame = false;
                nDone += diff.first - actual.begin();
                std::swap(m_random, run.lastPassRandom);
                Fail(lines::VerifyMismatch(run.path, range.m_nStart + nDone));
                return false;
            }
            nDone += static_cast<std::int64_t>(nBytes);
            m_host.StepProgress(static_cast<std::int64_t>(nBytes));
        }
    }
    std::swap(m_random, run.lastPassRandom);
    if (!run.file->ReadsBackFromMedium()) {
        // Said, not counted: the file is as destroyed as without the read-back, but the read
        // proves less than asked.
        m_host.AddLine(lines::VerifiedFromCache(run.path));
    }
    return true;
}

// The bytes of the next chunk, `nBytes` of them: one draw per byte, in order, under the random
// method (read afresh for every chunk, as the method is read before every byte), each chunk
// drawn on from the one before; the pass byte otherwise, in `chunk`, written only when the
// chunk does not hold it already. Valid until the next call but one.
const std::uint8_t* CWipeEngine::FillChunk(std::vector<std::uint8_t>& chunk, std::size_t nBytes,
                                           std::uint8_t nByte) {
    if (m_nWipeMethod == kWipeMethodRandom) {
        return m_randomChunks.Next(m_random, nBytes);
    }
    if (chunk.size() < nBytes || chunk.front() != nByte || chunk.back() != nByte) {
        chunk.assign(std::max(chunk.size(), nBytes), nByte);
    }
    return chunk.data();
}

}  // namespace quorrel

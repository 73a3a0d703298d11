// The overwrite passes of one file, the checks after each pass, and the read-back of the last.
#include <algorithm>

#include "engine/file/FileRun.h"
#include "engine/file/FileShredder.h"
#include "engine/log/LogLines.h"

namespace quorrel {

namespace {

// Between the chunks of a file's pass: the user's abort, the progress display, and a file cut
// short by someone else, where writing on would only lengthen it again over blocks that no
// longer hold its old data.
class CFileSpanControl : public ISpanControl {
public:
    CFileSpanControl(IRunHost& host, CFileRun& run) : m_host(host), m_run(run) {}

    bool StopBefore(std::int64_t nEnd) override {
        if (m_host.IsAborted()) {
            return true;
        }
        if (m_bFirstChunk) {  // the file was looked at just before the pass
            m_bFirstChunk = false;
            return false;
        }
        return IsCutShort(nEnd);
    }

    void Wrote(std::int64_t nBytes) override { m_host.StepProgress(nBytes); }

private:
    bool IsCutShort(std::int64_t nEnd) {
        CFileFacts now;
        CFileError error;
        if (!m_run.file->GetFacts(now, error) || now.m_size >= nEnd) {
            return false;
        }
        m_run.bChanged = true;
        return true;
    }

    IRunHost& m_host;
    CFileRun& m_run;
    bool m_bFirstChunk = true;
};

// The part of the last pass's ranges that it wrote and the file still holds: a file that
// grew during that pass has a new end no pass wrote, one cut short lost what lay past its end.
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

// Writes every pass of the current method over the ranges of the file that hold data, each
// pass flushed to the medium before the next begins. Stops early, with true, when the user
// aborts; false (with the line written) when a pass or its read-back failed.
bool CFileShredder::OverwriteFile(CFileRun& run) {
    const int nPasses = m_writer.PassCount();
    m_writer.BeginFile();
    for (int nPass = 0; nPass < nPasses && !m_host.IsAborted(); ++nPass) {
        run.lastPassRandom = m_writer.Random();
        run.nLastPassByte = m_writer.PassByte(nPass);
        run.lastPassRanges = run.ranges;
        m_host.OnPassStart(run.path, nPass, nPasses);
        m_host.SetProgressRange(run.DataBytes());
        m_host.SetProgressPos(0);
        if (GainedOtherNames(run) || !WritePass(run, nPass) || !CheckUnchanged(run)) {
            return false;
        }
    }
    return !m_bVerify || m_host.IsAborted() || VerifyLastPass(run);
}

// One pass over every data range, then flushed: the span loop stops at an abort or where the
// file was cut short, and the pass is flushed as far as it got.
bool CFileShredder::WritePass(CFileRun& run, int nPass) {
    CFileSpanControl control(m_host, run);
    IFileHandle& file = *run.file;
    CFileError error;
    run.nWrittenEnd = 0;
    for (const CDataRange& range : run.ranges) {
        if (!file.SeekTo(range.m_nStart, error)) {
            m_log.Fail(Quote(lines::kSeekFailed, run.path, error));
            return false;
        }
        std::int64_t nStored = 0;
        const bool bWritten = m_writer.WriteSpan(file, range.m_nStart, range.m_nLength,
                                                 m_writer.PassByte(nPass), control, nStored, error);
        if (nStored > 0) {
            run.nWrittenEnd = range.m_nStart + nStored;
        }
        if (!bWritten) {
            m_log.Fail(Quote(lines::kWriteFailed, run.path, error));
            return false;
        }
        if (nStored < range.m_nLength) {
            break;  // stopped: aborted or cut short
        }
    }
    // A pass that wrote nothing (an empty file, one that is all holes) has nothing to put on
    // the medium, and its flush would still cost the device a cache flush.
    if (run.nWrittenEnd > 0 && !file.Flush(error)) {
        m_log.Fail(Quote(lines::kWriteFailed, run.path, error));
        return false;
    }
    return true;
}

// Looks at the file again after a pass. A file that grew has its new part covered by the
// passes still to come; one that shrank is noted: it no longer gets the success line, as part
// of it may remain on the disk. One that gained a name stops here, with its length: the data
// is that name's too.
bool CFileShredder::CheckUnchanged(CFileRun& run) {
    CFileFacts now;
    CFileError error;
    if (!run.file->GetFacts(now, error)) {
        m_log.Fail(Quote(lines::kSeekFailed, run.path, error));
        return false;
    }
    if (now.m_nLinks > 1) {
        m_log.Fail(lines::HardLinked(run.path, now.m_nLinks));
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

// True (with the line written) when the open file has a name besides the one being shredded,
// asked of the open file itself: its data belongs to that name too, so the file is left with
// the length it has.
bool CFileShredder::GainedOtherNames(CFileRun& run) {
    CFileFacts now;
    CFileError error;
    if (!run.file->GetFacts(now, error)) {
        m_log.Fail(Quote(lines::kSeekFailed, run.path, error));
        return true;
    }
    if (now.m_nLinks <= 1) {
        return false;
    }
    m_log.Fail(lines::HardLinked(run.path, now.m_nLinks));
    return true;
}

// Reads the file back from the medium and compares it with what the last pass wrote. A file
// that does not read back as written is left in place, overwritten, and counts as failed.
bool CFileShredder::VerifyLastPass(CFileRun& run) {
    const std::vector<CDataRange> written =
        WrittenByLastPass(run.lastPassRanges, std::min(run.nWrittenEnd, run.facts.m_size));
    std::int64_t nBytesToRead = 0;
    for (const CDataRange& range : written) {
        nBytesToRead += range.m_nLength;
    }
    m_host.SetProgressRange(nBytesToRead);
    m_host.SetProgressPos(0);
    std::int64_t nMismatch = -1;
    CFileError error;
    if (!m_writer.ReadBackMatches(
            *run.file, written, run.lastPassRandom, run.nLastPassByte,
            [this](std::int64_t nBytes) { m_host.StepProgress(nBytes); }, nMismatch, error)) {
        m_log.Fail(nMismatch >= 0 ? lines::VerifyMismatch(run.path, nMismatch)
                                  : lines::VerifyError(run.path, error.GetErrorMessage()));
        return false;
    }
    if (!run.file->ReadsBackFromMedium()) {
        // Said, not counted: the file is as destroyed as without the read-back, but the read
        // proves less than asked.
        m_host.AddLine(lines::VerifiedFromCache(run.path));
    }
    return true;
}

}  // namespace quorrel

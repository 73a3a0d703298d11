#include "engine/runs/RunProgress.h"

#include <algorithm>

#include "engine/log/LogLines.h"
#include "engine/walk/FolderCount.h"

namespace quorrel {

namespace {

// Counts what a run of the folder `path` names would reach: the folder itself walked as the
// run walks it, or, where `bThroughLink`, the entries of the folder the link leads to. False
// once the budget is spent.
bool CountFolderAt(IFileSystem& fs, const std::string& path, bool bThroughLink,
                   CFolderCount& count) {
    CFileError error;
    if (bThroughLink) {
        std::unique_ptr<IFolder> folder = fs.OpenFolder(path, error);
        std::vector<CDirEntry> entries;
        if (!folder || !folder->List(entries, error)) {
            return true;
        }
        for (const CDirEntry& entry : entries) {
            if (!count.Add(*folder, entry, JoinPath(path, entry.m_strName))) {
                return false;
            }
        }
        return true;
    }
    std::string name;
    std::unique_ptr<IFolder> parent = fs.OpenParentOf(path, name, error);
    CDirEntry entry;
    if (!parent || !parent->Lookup(name, entry, error)) {
        return true;
    }
    return count.Add(*parent, entry, path);
}

}  // namespace

CRunEstimate EstimateWork(IFileSystem& fs, const std::vector<std::string>& paths, bool bFollowTop,
                          std::int64_t nBudget) {
    CFolderCount count(nBudget);
    for (const std::string& path : paths) {
        CFileStatus status;
        CFileError error;
        if (!fs.GetStatus(path, status, error)) {
            continue;  // a pattern or a missing entry: the run says what it finds
        }
        const bool bLink = (status.m_attributes & kAttrReparsePoint) != 0;
        bool bGoing = true;
        if ((status.m_attributes & kAttrDirectory) != 0 || (bFollowTop && bLink)) {
            bGoing = CountFolderAt(fs, path, bLink, count);
        } else if (IsPlainFile(status.m_attributes)) {
            bGoing = count.AddFile(status.m_size);
        }
        if (!bGoing) {
            return CRunEstimate{};
        }
    }
    CRunEstimate estimate;
    estimate.m_nFiles = count.Files();
    estimate.m_nBytes = count.Bytes();
    return estimate;
}

void CRunProgress::Begin() {
    const CRunEstimate expected = m_expected;
    *this = CRunProgress();
    m_expected = expected;
}

void CRunProgress::End() {
    m_expected = CRunEstimate{};
}

void CRunProgress::OnPassStart(const std::string& path, int nPass, int nPasses) {
    if (nPass == 0 || path != m_strPath) {
        if (!m_strPath.empty()) {
            // The file before is done, however it ended: its planned bytes count as written,
            // so that done and total meet at the end.
            ++m_nFilesDone;
            m_nBytesCompleted += CurrentFilePlanned();
        }
        m_strPath = path;
        m_nFileDone = 0;
        m_nLength = 0;
    }
    m_nPass = nPass;
    m_nPasses = nPasses;
    m_nPos = 0;
}

void CRunProgress::SetRange(std::int64_t nUpper) {
    m_nLength = std::max<std::int64_t>(nUpper, 0);
}

void CRunProgress::SetPos(std::int64_t nPos) {
    m_nPos = nPos;
    m_nFileDone = CurrentFileDone();
}

void CRunProgress::Step(std::int64_t nBytes) {
    m_nPos += nBytes;
    m_nFileDone = CurrentFileDone();
}

// Passes before this one, and this one as far as it has come; the read-back after the last
// pass starts over at 0 and so moves nothing.
std::int64_t CRunProgress::CurrentFileDone() const {
    const std::int64_t nNow = std::min(m_nLength * m_nPass + m_nPos, CurrentFilePlanned());
    return std::max(m_nFileDone, nNow);
}

CProgressFacts CRunProgress::Facts(double fSeconds) const {
    CProgressFacts facts;
    facts.m_strPath = m_strPath;
    facts.m_nPass = m_nPass + 1;
    facts.m_nPasses = m_nPasses;
    facts.m_nFilesDone = m_nFilesDone;
    facts.m_nBytesDone = m_nBytesCompleted + m_nFileDone;
    if (m_expected.m_nFiles < 0 || m_nPasses <= 0) {
        return facts;
    }
    facts.m_nFilesTotal = std::max(m_expected.m_nFiles, m_nFilesDone);
    facts.m_nBytesTotal = std::max(m_expected.m_nBytes * m_nPasses, facts.m_nBytesDone);
    // Many small files cost their opens, flushes and renames more than their bytes, one large
    // file its bytes: the share done is taken as the mean of the two.
    const double fFile =
        CurrentFilePlanned() > 0 ? static_cast<double>(m_nFileDone) / CurrentFilePlanned() : 0.0;
    const double fFiles = facts.m_nFilesTotal > 0
                              ? (static_cast<double>(m_nFilesDone) + fFile) / facts.m_nFilesTotal
                              : 1.0;
    const double fBytes = facts.m_nBytesTotal > 0
                              ? static_cast<double>(facts.m_nBytesDone) / facts.m_nBytesTotal
                              : fFiles;
    const double fDone = std::min(1.0, (fFiles + fBytes) / 2.0);
    if (fSeconds >= kEstimateAfterSeconds && fDone >= 0.001) {
        facts.m_nSecondsLeft = static_cast<std::int64_t>(fSeconds * (1.0 - fDone) / fDone + 0.5);
    }
    return facts;
}

std::string FormatDuration(std::int64_t nSeconds) {
    const auto TwoDigits = [](std::int64_t nValue) {
        return (nValue < 10 ? "0" : "") + std::to_string(nValue);
    };
    const std::string minutesAndSeconds =
        TwoDigits(nSeconds / 60 % 60) + ':' + TwoDigits(nSeconds % 60);
    if (nSeconds >= 3600) {
        return std::to_string(nSeconds / 3600) + ':' + minutesAndSeconds;
    }
    return std::to_string(nSeconds / 60) + ':' + TwoDigits(nSeconds % 60);
}

std::string ProgressLine(const CProgressFacts& facts, std::size_t nWidth) {
    std::string counts = "  pass " + std::to_string(facts.m_nPass) + '/' +
                         std::to_string(facts.m_nPasses) + "  file " +
                         std::to_string(facts.m_nFilesDone + 1);
    if (facts.m_nFilesTotal >= 0) {
        counts += " of " + std::to_string(facts.m_nFilesTotal);
    }
    counts += "  " + FormatBytes(facts.m_nBytesDone);
    if (facts.m_nBytesTotal >= 0) {
        counts += " of " + FormatBytes(facts.m_nBytesTotal);
    }
    if (facts.m_nSecondsLeft >= 0) {
        counts += "  " + FormatDuration(facts.m_nSecondsLeft) + " left";
    }
    const std::size_t nRoom = nWidth > counts.size() + 10 ? nWidth - counts.size() : 10;
    std::string path = facts.m_strPath;
    if (path.size() > nRoom) {
        path = "..." + path.substr(path.size() - (nRoom - 3));
    }
    return path + counts;
}

}  // namespace quorrel

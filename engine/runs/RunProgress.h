// How far a run has come as a whole: the file in progress, its pass, the files and bytes done
// of those counted before the run began, and the time left. Fed by the progress calls a run
// host receives; shown by the window's Abort dialog and the terminal's progress line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel {

// What a run is to cover: the plain files below the paths it was given and the bytes they
// hold. m_nFiles is -1 when the count was not made or gave up.
struct CRunEstimate {
    std::int64_t m_nFiles = -1;
    std::int64_t m_nBytes = 0;
};

// Counts the plain files `paths` name or hold below them, as a run would walk them (links
// never followed, nested mounts never entered; with `bFollowTop`, a named path that leads to
// a folder through a link is counted as that folder, as WIPE Folder takes it). Gives up
// (m_nFiles -1) after `nBudget` entries, so that counting never costs much next to the run.
CRunEstimate EstimateWork(IFileSystem& fs, const std::vector<std::string>& paths,
                          bool bFollowTop = false, std::int64_t nBudget = 250000);

// The facts a display shows; counts that are not known are -1.
struct CProgressFacts {
    std::string m_strPath;  // the file in progress; empty before the first pass
    int m_nPass = 0;        // from 1
    int m_nPasses = 0;
    std::int64_t m_nFilesDone = 0;
    std::int64_t m_nFilesTotal = -1;
    std::int64_t m_nBytesDone = 0;    // bytes written over all passes of all files
    std::int64_t m_nBytesTotal = -1;  // bytes all passes of all counted files write
    std::int64_t m_nSecondsLeft = -1;
};

class CRunProgress {
public:
    // The next run is expected to cover `estimate`; forgotten when that run ends.
    void Expect(const CRunEstimate& estimate) { m_expected = estimate; }
    // A run begins: every count starts from nothing.
    void Begin();
    void End();
    // The progress calls of the run host.
    void OnPassStart(const std::string& path, int nPass, int nPasses);
    void SetRange(std::int64_t nUpper);
    void SetPos(std::int64_t nPos);
    void Step(std::int64_t nBytes);

    // The facts `fSeconds` into the run. The time left is given once at least
    // kEstimateAfterSeconds have passed and a little of the counted work is done.
    CProgressFacts Facts(double fSeconds) const;

    static constexpr double kEstimateAfterSeconds = 2.0;

private:
    std::int64_t CurrentFileDone() const;
    std::int64_t CurrentFilePlanned() const { return m_nLength * m_nPasses; }

    CRunEstimate m_expected;
    CRunEstimate m_counting;
    std::string m_strPath;
    int m_nPass = 0;
    int m_nPasses = 0;
    std::int64_t m_nLength = 0;
    std::int64_t m_nPos = 0;
    std::int64_t m_nFileDone = 0;  // the current file's bytes written, never going back
    std::int64_t m_nFilesDone = 0;
    std::int64_t m_nBytesCompleted = 0;
};

// The facts on one line of at most `nWidth` characters (the path shortened from its start):
// "PATH  pass 2/3  file 12 of 100  1.2 MiB of 3.4 MiB  0:42 left".
std::string ProgressLine(const CProgressFacts& facts, std::size_t nWidth);
// A number of seconds as "m:ss", or "h:mm:ss" from an hour on.
std::string FormatDuration(std::int64_t nSeconds);

}  // namespace quorrel

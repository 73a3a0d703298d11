// How far a run has come as a whole, from the progress calls a run host receives: files and
// bytes done of those counted before, the read-back that moves nothing, the time left, and the
// terminal's one line.
#include <gtest/gtest.h>

#include "engine/runs/RunProgress.h"

namespace quorrel::test {
namespace {

// One pass of `path` as the pass writer reports it: begun, then `nDone` of `nLength` bytes
// written in two steps.
void Pass(CRunProgress& progress, const std::string& path, int nPass, int nPasses,
          std::int64_t nLength, std::int64_t nDone) {
    progress.OnPassStart(path, nPass, nPasses);
    progress.SetRange(nLength);
    progress.SetPos(0);
    progress.Step(nDone / 2);
    progress.Step(nDone - nDone / 2);
}

TEST(RunProgress, CountsFilesAndBytesOfTheWholeRun) {
    CRunProgress progress;
    progress.Expect(CRunEstimate{2, 400});
    progress.Begin();
    Pass(progress, "/a", 0, 2, 100, 100);
    Pass(progress, "/a", 1, 2, 100, 50);
    CProgressFacts facts = progress.Facts(0.5);
    EXPECT_EQ(facts.m_strPath, "/a");
    EXPECT_EQ(facts.m_nPass, 2);
    EXPECT_EQ(facts.m_nPasses, 2);
    EXPECT_EQ(facts.m_nFilesDone, 0);
    EXPECT_EQ(facts.m_nFilesTotal, 2);
    EXPECT_EQ(facts.m_nBytesDone, 150);
    EXPECT_EQ(facts.m_nBytesTotal, 800);
    EXPECT_EQ(facts.m_nSecondsLeft, -1);  // too early to tell

    // The read-back after the last pass starts from 0 again: nothing moves back or beyond.
    progress.SetPos(50);
    progress.Step(50);
    progress.SetRange(100);
    progress.SetPos(0);
    progress.Step(30);
    EXPECT_EQ(progress.Facts(1.0).m_nBytesDone, 200);

    Pass(progress, "/b", 0, 2, 300, 150);
    facts = progress.Facts(10.0);
    EXPECT_EQ(facts.m_nFilesDone, 1);
    EXPECT_EQ(facts.m_nBytesDone, 350);
    // Files: 1.25 of 2; bytes: 350 of 800. Half of the mean share is done in 10 s.
    const double fDone = (1.25 / 2 + 350.0 / 800) / 2;
    EXPECT_NEAR(facts.m_nSecondsLeft, 10.0 * (1 - fDone) / fDone, 1.0);

    // The next run counts from nothing, and without an estimate has no totals.
    progress.End();
    progress.Begin();
    Pass(progress, "/c", 0, 1, 10, 5);
    facts = progress.Facts(60.0);
    EXPECT_EQ(facts.m_nFilesDone, 0);
    EXPECT_EQ(facts.m_nBytesDone, 5);
    EXPECT_EQ(facts.m_nFilesTotal, -1);
    EXPECT_EQ(facts.m_nBytesTotal, -1);
    EXPECT_EQ(facts.m_nSecondsLeft, -1);
}

TEST(RunProgress, TheTerminalLineSaysItAllWithinItsWidth) {
    CProgressFacts facts;
    facts.m_strPath = "/home/user/" + std::string(100, 'p') + "/report.pdf";
    facts.m_nPass = 2;
    facts.m_nPasses = 3;
    facts.m_nFilesDone = 11;
    facts.m_nFilesTotal = 100;
    facts.m_nBytesDone = 1024 * 1024;
    facts.m_nBytesTotal = 3 * 1024 * 1024;
    facts.m_nSecondsLeft = 3725;
    const std::string line = ProgressLine(facts, 79);
    EXPECT_EQ(line.size(), 79u);
    EXPECT_EQ(line.substr(0, 3), "...");
    EXPECT_NE(line.find("/report.pdf  pass 2/3  file 12 of 100  1.0 MiB of 3.0 MiB  1:02:05 left"),
              std::string::npos)
        << line;
    facts.m_nFilesTotal = -1;
    facts.m_nBytesTotal = -1;
    facts.m_nSecondsLeft = -1;
    facts.m_strPath = "/x";
    EXPECT_EQ(ProgressLine(facts, 79), "/x  pass 2/3  file 12  1.0 MiB");
    EXPECT_EQ(FormatDuration(59), "0:59");
}

}  // namespace
}  // namespace quorrel::test

// Shredding single files on a real POSIX disk: what only such a system has (locks held by
// another process, links made by anyone, FIFOs).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/WipeEngine.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

TEST(FileWipe, FileHeldExclusivelyByAnotherProgramIsLeftAlone) {
    CTempDir dir;
    const std::string path = dir / "held";
    WriteFile(path, "secret");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_NE(engine.WipeFile(path, EWipeMode::RecycleBin), EWipeOutcome::Destroyed);
    ::close(fd);
    const std::vector<std::string> lines = {
        "* Error seting file attribute on file " + path +
            ": A sharing violation occurred while accessing an unnamed file.",
        "* Error opening file " + path + ": A sharing violation occurred while accessing " + path +
            "."};
    EXPECT_EQ(host.Lines(), lines);
    EXPECT_EQ(ReadFile(path), "secret");
}

TEST(FileWipe, LinksAreRemovedWithoutTouchingTheirTargets) {
    CTempDir dir;
    WriteFile(dir / "target", "keep me");
    ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(dir / "link", EWipeMode::RecycleBin),
              EWipeOutcome::Destroyed);  // recycle-bin mode leaves it
    EXPECT_TRUE(Exists(dir / "link"));
    EXPECT_EQ(engine.WipeFile(dir / "link", EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_FALSE(Exists(dir / "link"));
    EXPECT_EQ(ReadFile(dir / "target"), "keep me");
    const std::vector<std::string> lines = {
        "File " + (dir / "link") +
            " is a link or special file with no data of its own; the emptying removes it",
        "Wipeing file " + (dir / "link"), "File " + (dir / "link") + " successfuly deleted "};
    EXPECT_EQ(host.Lines(), lines);
}

TEST(FileWipe, FifoIsRemovedWithoutBlocking) {
    CTempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(dir / "pipe", EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_FALSE(Exists(dir / "pipe"));
}

}  // namespace quorrel::test

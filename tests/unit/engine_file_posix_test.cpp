// Shredding single files on a real POSIX disk: what only such a system has (FIFOs, shared
// locks).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/runs/WipeEngine.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

TEST(FileWipe, FifoIsRemovedWithoutBlocking) {
    CTempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(dir / "pipe", EWipeMode::Normal), EWipeOutcome::Destroyed);
    EXPECT_FALSE(Exists(dir / "pipe"));
}

// A reader's shared lock passes the sharing check (the file is announced) but not the write
// open; a write open taken by the check is let go, so the file is free again right after.
TEST(FileWipe, SharedLockFailsTheOpenAfterTheAnnouncement) {
    CTempDir dir;
    const std::string path = dir / "shared";
    WriteFile(path, "secret");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_SH | LOCK_NB), 0);
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_EQ(engine.WipeFile(path, EWipeMode::Normal), EWipeOutcome::Failed);
    const std::vector<std::string> lines = {
        "Wipeing file " + path, "* Error opening file " + path +
                                    ": A sharing violation occurred while accessing " + path + "."};
    EXPECT_EQ(host.Lines(), lines);
    ::close(fd);
    EXPECT_EQ(ReadFile(path), "secret");
    const int probe = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0) << "the file is still held";
    ::close(probe);
}

}  // namespace quorrel::test

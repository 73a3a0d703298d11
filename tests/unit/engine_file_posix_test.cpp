// Shredding single files on a real POSIX disk: what only such a system has (FIFOs).
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "engine/WipeEngine.h"
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

}  // namespace quorrel::test

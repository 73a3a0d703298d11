#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WipeEngine.h"

namespace quorrel::test {
TEST(CliSmoke, ShredsOneFile) {
    CTempDir dir;
    WriteFile(dir / "a.txt", "secret");
    CRecordingHost host;
    CWipeEngine engine(SystemFileSystem(), host);
    EXPECT_TRUE(engine.WipeFile(dir / "a.txt", false));
    EXPECT_TRUE(ListNames(dir.Path()).empty());
}
}  // namespace quorrel::test

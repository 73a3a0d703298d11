// Where an overlay's layers and a journaling mount are read from: lines of the mount table.
#include <gtest/gtest.h>

#include "platform/posix/PosixLayers.h"

namespace quorrel::test {

using posix::CMountRecord;

// The fields the layer and journal checks use, octal escapes decoded, and lines that are not
// mount lines refused.
TEST(PosixLayers, MountInfoLinesGiveRootMountPointTypeAndSuperOptions) {
    std::uint64_t nId = 0;
    CMountRecord record;
    ASSERT_TRUE(posix::ParseMountInfoLine(
        "88 29 0:52 /sub /mnt/my\\040merged rw,relatime shared:48 - overlay overlay "
        "rw,lowerdir=/l\\054one:/l2,upperdir=/u,workdir=/w",
        nId, record));
    EXPECT_EQ(nId, 88u);
    EXPECT_EQ(record.m_strRoot, "/sub");
    EXPECT_EQ(record.m_strMountPoint, "/mnt/my merged");
    EXPECT_EQ(record.m_strType, "overlay");
    EXPECT_EQ(record.m_superOptions,
              (std::vector<std::string>{"rw", "lowerdir=/l,one:/l2", "upperdir=/u", "workdir=/w"}));
    EXPECT_FALSE(posix::ParseMountInfoLine("88 29 0:52 / /mnt rw", nId, record));
    EXPECT_FALSE(posix::ParseMountInfoLine("", nId, record));
}

// Lower layers topmost first, in either form the kernel shows them, data-only layers last.
TEST(PosixLayers, OverlayLayersInBothFormsTheKernelShows) {
    struct CCase {
        std::vector<std::string> options;
        std::vector<std::string> lowers;
        std::string upper;
    };
    const CCase cases[] = {
        {{"rw", "lowerdir=/a:/b", "upperdir=/u", "workdir=/w"}, {"/a", "/b"}, "/u"},
        {{"lowerdir+=/a", "datadir+=/d", "lowerdir+=/b", "upperdir=/u"}, {"/a", "/b", "/d"}, "/u"},
        {{"ro", "lowerdir=/only"}, {"/only"}, ""},
    };
    for (const CCase& c : cases) {
        std::vector<std::string> lowers;
        std::string upper = "stale";
        posix::OverlayLayers(c.options, lowers, upper);
        EXPECT_EQ(lowers, c.lowers);
        EXPECT_EQ(upper, c.upper);
    }
}

}  // namespace quorrel::test

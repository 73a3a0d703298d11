// The Windows recycle-bin rules over fake facts: the fixed-drive scan, the SID text with its
// size rule, the user's SID, the bin folders and the names a bin keeps for itself.
#include <gtest/gtest.h>
#include <algorithm>

#include "platform/WindowsRecycleBin.h"
#include "tests/unit/WindowsFacts.h"

namespace quorrel::test {

TEST(PlatformWindowsBin, ScanKeepsFixedDrivesOnlyAndComparesNtfsWithoutCase) {
    CFakeDrives drives;
    drives.Add('A', 2, "FAT");  // removable
    drives.Add('C', kDriveFixed, "ntfs");
    drives.Add('D', kDriveFixed, "FAT32");
    drives.Add('E', 5, "CDFS");        // CD-ROM
    drives.Add('F', 4, "NTFS");        // network
    drives.Add('G', kDriveFixed, "");  // volume name unreadable
    drives.Add('Z', kDriveFixed, "NTFS");
    CDriveTable table;
    table.m_driveRoot[1] = "B:\\";  // left over from an earlier scan
    ASSERT_TRUE(ScanFixedDrives(drives, table));
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        const bool bFixed = letter == 'C' || letter == 'D' || letter == 'G' || letter == 'Z';
        EXPECT_EQ(table.m_driveRoot[i], bFixed ? std::string(1, letter) + ":\\" : "") << letter;
    }
    EXPECT_EQ(table.m_driveIsNtfs[2], 1);
    EXPECT_EQ(table.m_driveIsNtfs[3], 0);
    EXPECT_EQ(table.m_driveIsNtfs[6], 0);
    EXPECT_EQ(table.m_driveIsNtfs[25], 1);
}

TEST(PlatformWindowsBin, FatOnlyMachineStillScansButNoFixedDriveDoesNot) {
    CFakeDrives fatOnly;
    fatOnly.Add('C', kDriveFixed, "FAT32");
    CDriveTable table;
    EXPECT_TRUE(ScanFixedDrives(fatOnly, table));
    EXPECT_EQ(table.m_driveRoot[2], "C:\\");
    CFakeDrives noFixed;
    noFixed.Add('A', 2, "FAT");
    noFixed.Add('F', 4, "NTFS");
    EXPECT_FALSE(ScanFixedDrives(noFixed, table));
    EXPECT_EQ(table.m_driveRoot[2], "");
}

TEST(PlatformWindowsBin, SidTextAndItsSizeRule) {
    std::string text;
    std::uint32_t nLength = kSidTextChars;
    std::uint32_t nError = 0;
    CSid sid = UserSid();
    ASSERT_TRUE(FormatSidText(sid, text, nLength, nError));
    EXPECT_EQ(text, "S-1-5-21-1-2-3-1004");
    EXPECT_EQ(nLength, 19u);

    sid.m_authority = {0, 0, 0x12, 0x34, 0x56, 0x78};  // low four bytes as one number
    sid.m_subAuthorities = {4294967295u};
    nLength = kSidTextChars;
    ASSERT_TRUE(FormatSidText(sid, text, nLength, nError));
    EXPECT_EQ(text, "S-1-305419896-4294967295");

    for (const auto& authority : {std::array<std::uint8_t, 6>{1, 0, 0, 0, 0, 5},
                                  std::array<std::uint8_t, 6>{0, 0xab, 0, 0x0c, 0, 5}}) {
        sid.m_authority = authority;
        sid.m_subAuthorities = {};
        nLength = kSidTextChars;
        ASSERT_TRUE(FormatSidText(sid, text, nLength, nError));
        EXPECT_EQ(text, authority[0] == 1 ? "S-1-0x010000000005" : "S-1-0x00ab000c0005");
    }

    // 28 + 12 per sub-authority must fit what is offered
    sid = UserSid();
    nLength = 87;  // 28 + 12 * 5 = 88 needed
    text = "untouched";
    EXPECT_FALSE(FormatSidText(sid, text, nLength, nError));
    EXPECT_EQ(nLength, 88u);
    EXPECT_EQ(nError, kErrorInsufficientBuffer);
    EXPECT_EQ(text, "untouched");
    nLength = 88;
    EXPECT_TRUE(FormatSidText(sid, text, nLength, nError));

    sid.m_bValid = false;
    nLength = kSidTextChars;
    EXPECT_FALSE(FormatSidText(sid, text, nLength, nError));
    EXPECT_EQ(nError, kErrorInvalidSid);
}

TEST(PlatformWindowsBin, UserSidTextResults) {
    CFakeToken token;
    token.m_sid = UserSid();
    std::string text;
    EXPECT_EQ(GetUserSidText(token, text), 0);
    EXPECT_EQ(text, "S-1-5-21-1-2-3-1004");
    token.m_sid.m_bValid = false;
    EXPECT_EQ(GetUserSidText(token, text), 3);
    token.m_bReads = false;
    EXPECT_EQ(GetUserSidText(token, text), 2);
    token.m_bOpens = false;
    EXPECT_EQ(GetUserSidText(token, text), 1);
}

TEST(PlatformWindowsBin, BinFoldersAndBookkeepingNames) {
    EXPECT_EQ(WindowsBinFolder("C:\\", true, "S-1-5-21-1-2-3-1004"),
              "C:\\Recycler\\S-1-5-21-1-2-3-1004\\");
    EXPECT_EQ(WindowsBinFolder("D:\\", false, "S-1-5-21-1-2-3-1004"), "D:\\RECYCLED\\");
    for (const char* name : {"INFO2", "info2", "Info2", "desktop.ini", "DESKTOP.INI", "Desktop.Ini",
                             "$IAB12CD.txt", "$i1"}) {
        EXPECT_TRUE(IsWindowsBinBookkeeping(name)) << name;
    }
    for (const char* name :
         {"INFO", "INFO22", "desktop.ini.bak", "Dc1.txt", "", "$RAB12CD.txt", "$I", "I1"}) {
        EXPECT_FALSE(IsWindowsBinBookkeeping(name)) << name;
    }
}

// Newest layout first; the older one only where it is the folder that exists.
TEST(PlatformWindowsBin, TheBinFolderThatExistsIsChosenNewestFirst) {
    const std::string sid = "S-1-5-21-1-2-3-1004";
    const std::string vista = "C:\\$Recycle.Bin\\" + sid + "\\";
    const std::string xp = "C:\\Recycler\\" + sid + "\\";
    const struct {
        std::vector<std::string> existing;
        bool bNtfs;
        std::string sid;
        std::string expected;
    } cases[] = {
        {{vista, xp}, true, sid, vista},
        {{xp}, true, sid, xp},
        {{}, true, sid, vista},
        {{"C:\\RECYCLED\\"}, false, sid, "C:\\RECYCLED\\"},
        {{vista}, false, "", "C:\\RECYCLED\\"},
    };
    for (const auto& c : cases) {
        CFakeDrives drives;
        drives.m_isFolder = [&c](const std::string& path) {
            return std::find(c.existing.begin(), c.existing.end(), path) != c.existing.end();
        };
        EXPECT_EQ(ChooseWindowsBinFolder(drives, "C:\\", c.bNtfs, c.sid), c.expected);
    }
}

TEST(PlatformWindowsBin, ShellAccessNeedsBothEntryPoints) {
    CFakeDrives drives;
    CFakeToken token;
    CFakeShell shell;
    CWindowsRecycleBins bins(drives, token, shell);
    EXPECT_EQ(bins.Open(), EBinAccess::Ready);
    for (const char* missing : {"SHQueryRecycleBinW", "SHEmptyRecycleBinW"}) {
        shell.m_missing = missing;
        shell.m_calls.clear();
        EXPECT_EQ(bins.Open(), EBinAccess::NoEntryPoints) << missing;
        EXPECT_EQ(shell.m_calls, (std::vector<std::string>{"load", "free"}));
    }
    shell.m_bLoads = false;
    EXPECT_EQ(bins.Open(), EBinAccess::NoService);
}

}  // namespace quorrel::test

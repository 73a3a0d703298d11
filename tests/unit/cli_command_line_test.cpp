// Reading quorrel-shred's arguments: what a run is asked to do, and which lines are refused.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/ShredArguments.h"
#include "platform/FileSystem.h"

namespace quorrel::test {
namespace {

struct CParsed {
    bool bOk = false;
    CShredOptions options;
    std::string error;
};

CParsed Parse(const std::vector<std::string>& args) {
    CParsed parsed;
    parsed.bOk = ParseShredArguments(args, parsed.options, parsed.error);
    return parsed;
}

TEST(CliCommandLine, PathsAreKeptInOrderByteForByte) {
    const CParsed parsed = Parse({"b.txt", "/abs/a", "\xff\xfe bad utf-8", "-", "./x y"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_EQ(parsed.options.paths,
              (std::vector<std::string>{"b.txt", "/abs/a", "\xff\xfe bad utf-8", "-", "./x y"}));
    EXPECT_FALSE(parsed.options.bYes);
    EXPECT_FALSE(parsed.options.bHasMethod);
    EXPECT_FALSE(parsed.options.bHelp);
    EXPECT_TRUE(parsed.options.strFolder.empty());
}

TEST(CliCommandLine, DoubleDashMakesEveryLaterArgumentAPath) {
    const CParsed parsed = Parse({"--yes", "a", "--", "-rf", "--method", "--", "--help"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_TRUE(parsed.options.bYes);
    EXPECT_FALSE(parsed.options.bHasMethod);
    EXPECT_FALSE(parsed.options.bHelp);
    EXPECT_EQ(parsed.options.paths,
              (std::vector<std::string>{"a", "-rf", "--method", "--", "--help"}));
}

TEST(CliCommandLine, OptionsTakeTheirValuesInEitherSpelling) {
    CParsed parsed = Parse({"--method", "3", "-y", "f"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_TRUE(parsed.options.bHasMethod);
    EXPECT_EQ(parsed.options.nMethod, 3);
    EXPECT_TRUE(parsed.options.bYes);

    parsed = Parse({"f", "--method=1"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_EQ(parsed.options.nMethod, 1);
    EXPECT_EQ(parsed.options.paths, std::vector<std::string>{"f"});

    // Any whole number is a method; the ones outside the table write 10 passes.
    parsed = Parse({"--method", "-7", "f"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_EQ(parsed.options.nMethod, -7);
    // The last --method wins.
    parsed = Parse({"--method=2", "--method", "0", "f"});
    ASSERT_TRUE(parsed.bOk);
    EXPECT_EQ(parsed.options.nMethod, 0);

    parsed = Parse({"--folder", "/some/dir", "--yes"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_EQ(parsed.options.strFolder, "/some/dir");
    EXPECT_TRUE(parsed.options.paths.empty());
    parsed = Parse({"--folder=-odd name"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_EQ(parsed.options.strFolder, "-odd name");
}

TEST(CliCommandLine, HelpNeedsNothingElse) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--yes", "--help"}, {"--folder", "d", "p", "-h"}}) {
        const CParsed parsed = Parse(args);
        EXPECT_TRUE(parsed.bOk) << parsed.error;
        EXPECT_TRUE(parsed.options.bHelp);
    }
    const std::string usage = ShredUsage();
    EXPECT_EQ(
        usage.rfind("Usage: quorrel-shred [--method N] [--jobs N] [--verify] [--yes] PATH...\n", 0),
        0u);
    EXPECT_NE(usage.find("--folder DIR"), std::string::npos);
    // what overwriting gives on flash, and what to do instead
    EXPECT_NE(usage.find("Encrypt the whole disk"), std::string::npos);
    EXPECT_NE(usage.find("sanitize"), std::string::npos);
    // the drive-level commands by name where they exist: quorrel-shred never runs them
    if (PreferredSeparator() != '\\') {
        for (const char* command :
             {"nvme sanitize", "hdparm --security-erase", "blkdiscard --secure"}) {
            EXPECT_NE(usage.find(command), std::string::npos) << command;
        }
    }
    EXPECT_EQ(usage.back(), '\n');
    // a screen's worth: the whole story is in the manual page
    EXPECT_LE(std::count(usage.begin(), usage.end(), '\n'), 60);
}

// The help describes the system it runs on: on Windows no rm, root, ext4 journal, blkdiscard,
// btrfs or overlay; elsewhere no Recycle Bin folders, NTFS journal or BitLocker.
TEST(CliCommandLine, HelpSpeaksOfItsOwnSystem) {
    const bool bWindows = PreferredSeparator() == '\\';
    const std::vector<std::string> foreign =
        bWindows
            ? std::vector<std::string>{"(rm,",       "As root", "ext4",   "xfs",
                                       "blkdiscard", "btrfs",   "overlay"}
            : std::vector<std::string>{"$Recycle.Bin", "$LogFile", "BitLocker", "Shift+Delete"};
    const std::string usage = ShredUsage();
    for (const std::string& word : foreign) {
        EXPECT_EQ(usage.find(word), std::string::npos) << word;
    }
    EXPECT_NE(usage.find(bWindows ? "Recycle Bin" : "trash"), std::string::npos);
}

TEST(CliCommandLine, RecycleBinNeedsNoPathAndTakesAMethod) {
    const CParsed parsed = Parse({"--method=2", "--recycle-bin"});
    ASSERT_TRUE(parsed.bOk) << parsed.error;
    EXPECT_TRUE(parsed.options.bRecycleBin);
    EXPECT_EQ(parsed.options.nMethod, 2);
    EXPECT_TRUE(parsed.options.paths.empty());
    EXPECT_FALSE(Parse({"p"}).options.bRecycleBin);
}

TEST(CliCommandLine, UsageErrorsSayWhatIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "nothing to shred: give PATH..., --folder DIR or --recycle-bin"},
        {{"--yes"}, "nothing to shred: give PATH..., --folder DIR or --recycle-bin"},
        {{"--method", "2"}, "nothing to shred: give PATH..., --folder DIR or --recycle-bin"},
        {{"f", "--method"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--method", "two", "f"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--method", "2x", "f"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--method=", "f"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--method", "", "f"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--method", "99999999999999999999", "f"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--folder"}, "--folder needs one folder"},
        {{"--folder="}, "--folder needs one folder"},
        {{"--folder", "a", "--folder", "b"}, "--folder needs one folder"},
        {{"--folder", "d", "p"}, "give either --folder DIR or PATH..., not both"},
        {{"p", "--folder=d"}, "give either --folder DIR or PATH..., not both"},
        {{"--recycle-bin", "p"}, "--recycle-bin takes no PATH... and no --folder"},
        {{"--folder", "d", "--recycle-bin"}, "--recycle-bin takes no PATH... and no --folder"},
        {{"--recycle-bin", "--", "--x"}, "--recycle-bin takes no PATH... and no --folder"},
        {{"--verify", "--free-space", "d"},
         "--verify reads back the files a run names; --free-space names none"},
        {{"--recycle-bin=1"}, "unknown option --recycle-bin=1"},
        {{"-rf", "p"}, "unknown option -rf"},
        {{"p", "--methods=1"}, "unknown option --methods=1"},
        {{"p", "--Yes"}, "unknown option --Yes"},
        {{"p", "-y1"}, "unknown option -y1"},
    };
    for (const auto& [args, message] : cases) {
        const CParsed parsed = Parse(args);
        std::string line;
        for (const std::string& arg : args) {
            line += "[" + arg + "]";
        }
        EXPECT_FALSE(parsed.bOk) << line;
        EXPECT_EQ(parsed.error, message) << line;
    }
}

}  // namespace
}  // namespace quorrel::test

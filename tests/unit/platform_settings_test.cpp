// Reading the stored settings without the GUI toolkit: where the file is, and how a value is
// found in the INI text the window's settings object writes.
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

// Sets (or, with std::nullopt, removes) an environment variable for the life of the object.
class CEnvironment {
public:
    CEnvironment(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_saved = old;
        }
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~CEnvironment() {
        if (m_saved) {
            ::setenv(m_name, m_saved->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    CEnvironment(const CEnvironment&) = delete;
    CEnvironment& operator=(const CEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

TEST(PlatformSettings, FileLivesUnderTheUsersConfigFolder) {
    CEnvironment home("HOME", std::string("/home/someone"));
    {
        CEnvironment config("XDG_CONFIG_HOME", std::string("/elsewhere/config"));
        EXPECT_EQ(SettingsFilePath(), "/elsewhere/config/Tellmoor/Quorrel.conf");
    }
    {
        CEnvironment config("XDG_CONFIG_HOME", std::string(""));
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Tellmoor/Quorrel.conf");
    }
    {
        CEnvironment config("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Tellmoor/Quorrel.conf");
    }
}

// What the settings object writes for the program: the method under an escaped key.
TEST(PlatformSettings, ReadsTheEscapedKeyOfItsGroup) {
    CTempDir dir;
    const std::string file = dir / "Quorrel.conf";
    WriteFile(file,
              "[General]\n"
              "Using%20Alorithm=9\n"
              "\n"
              "[1.0]\n"
              "Other=x\n"
              "Using%20Alorithm=2\n"
              "\n"
              "[2.0]\n"
              "Using%20Alorithm=5\n");
    std::string value;
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Using Alorithm", value));
    EXPECT_EQ(value, "2");
    ASSERT_TRUE(ReadIniValue(file, "2.0", "Using Alorithm", value));
    EXPECT_EQ(value, "5");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Other", value));
    EXPECT_EQ(value, "x");
}

TEST(PlatformSettings, ValuesLoseTheirQuotesAndSurroundingBlanks) {
    CTempDir dir;
    const std::string file = dir / "Quorrel.conf";
    WriteFile(file,
              "[1.0]\r\n"
              "  Plain  =   3  \r\n"
              "Quoted=\"a, b\"\r\n"
              "Half=\"open\r\n"
              "Empty=\r\n"
              "Bytes=@ByteArray(\\x2)\r\n"
              "Equals=a=b\r\n");
    std::string value;
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Plain", value));
    EXPECT_EQ(value, "3");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Quoted", value));
    EXPECT_EQ(value, "a, b");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Half", value));
    EXPECT_EQ(value, "\"open");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Empty", value));
    EXPECT_EQ(value, "");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Bytes", value));
    EXPECT_EQ(value, "@ByteArray(\\x2)");
    ASSERT_TRUE(ReadIniValue(file, "1.0", "Equals", value));
    EXPECT_EQ(value, "a=b");
}

TEST(PlatformSettings, MissingFileGroupOrKeyIsNotFound) {
    CTempDir dir;
    const std::string file = dir / "Quorrel.conf";
    std::string value = "untouched";
    EXPECT_FALSE(ReadIniValue(file, "1.0", "Using Alorithm", value));

    WriteFile(file, "[1.0]\nUsing%20Alorithm=2\n[1.1]\nOther=1\n");
    EXPECT_FALSE(ReadIniValue(file, "1.1", "Using Alorithm", value));
    EXPECT_FALSE(ReadIniValue(file, "2.0", "Using Alorithm", value));
    EXPECT_FALSE(ReadIniValue(file, "1.0", "Using", value));
    EXPECT_FALSE(ReadIniValue(file, "1.0", "using alorithm", value));
    EXPECT_FALSE(ReadIniValue(file, "1", "Using Alorithm", value));
    EXPECT_EQ(value, "untouched");

    // A key before any group belongs to no group asked for here.
    WriteFile(file, "Using%20Alorithm=2\n");
    EXPECT_FALSE(ReadIniValue(file, "1.0", "Using Alorithm", value));

    WriteFile(file, "");
    EXPECT_FALSE(ReadIniValue(file, "1.0", "Using Alorithm", value));
    EXPECT_EQ(value, "untouched");
}

}  // namespace
}  // namespace quorrel::test

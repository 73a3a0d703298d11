// The path helpers: joining, the parent folder, and the full path an open reports.
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

// Moves into `path` for the life of the object.
class CCurrentDirectory {
public:
    explicit CCurrentDirectory(const std::string& path) {
        std::vector<char> buffer(4096);
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            m_strSaved = buffer.data();
        }
        m_bMoved = ::chdir(path.c_str()) == 0;
    }
    ~CCurrentDirectory() {
        if (m_bMoved && !m_strSaved.empty()) {
            (void)::chdir(m_strSaved.c_str());
        }
    }
    CCurrentDirectory(const CCurrentDirectory&) = delete;
    CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;
    bool Moved() const { return m_bMoved; }

private:
    std::string m_strSaved;
    bool m_bMoved = false;
};

TEST(PlatformPaths, JoinPathPutsExactlyOneSeparatorBetween) {
    EXPECT_EQ(JoinPath("a", "b"), "a/b");
    EXPECT_EQ(JoinPath("a/", "b"), "a/b");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("/x/y", ".hidden"), "/x/y/.hidden");
    // Names are bytes: nothing in them is looked at or changed.
    EXPECT_EQ(JoinPath("d", "\xff\xfe name"), "d/\xff\xfe name");
}

TEST(PlatformPaths, ParentFolderDropsTheLastPart) {
    EXPECT_EQ(ParentFolder("a/b"), "a");
    EXPECT_EQ(ParentFolder("/x/y/z.txt"), "/x/y");
    EXPECT_EQ(ParentFolder("/a"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(ParentFolder("//"), "/");
    // No folder part: the current folder.
    EXPECT_EQ(ParentFolder("name"), ".");
    EXPECT_EQ(ParentFolder("name/"), ".");
    EXPECT_EQ(ParentFolder(""), ".");
    // A trailing separator does not start an empty last part; doubled separators go as one.
    EXPECT_EQ(ParentFolder("a/b/"), "a");
    EXPECT_EQ(ParentFolder("a//b"), "a");
    EXPECT_EQ(ParentFolder("/x//y//"), "/x");
}

TEST(PlatformPaths, FullPathResolvesDotPartsByName) {
    EXPECT_EQ(FullPath("/a/b/c"), "/a/b/c");
    EXPECT_EQ(FullPath("/a/./b"), "/a/b");
    EXPECT_EQ(FullPath("/a/b/../c"), "/a/c");
    EXPECT_EQ(FullPath("/a/b/.."), "/a");
    EXPECT_EQ(FullPath("//a///b/"), "/a/b");
    // ".." never climbs above the root.
    EXPECT_EQ(FullPath("/../../a"), "/a");
    EXPECT_EQ(FullPath("/.."), "/");
    EXPECT_EQ(FullPath("/"), "/");
    // Names that merely start with dots are names.
    EXPECT_EQ(FullPath("/a/...b/..c/.d"), "/a/...b/..c/.d");
}

TEST(PlatformPaths, FullPathStartsRelativePathsAtTheCurrentFolder) {
    CTempDir dir;
    MakeFolder(dir / "sub");
    // The current folder as the system spells it (the temporary folder may sit behind a link).
    char* real = ::realpath(dir.Path().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string base = real;
    std::free(real);
    CCurrentDirectory cwd(dir / "sub");
    ASSERT_TRUE(cwd.Moved());
    EXPECT_EQ(FullPath("f.txt"), base + "/sub/f.txt");
    EXPECT_EQ(FullPath("./f.txt"), base + "/sub/f.txt");
    EXPECT_EQ(FullPath("../f.txt"), base + "/f.txt");
    EXPECT_EQ(FullPath("x/../../y/./f"), base + "/y/f");
    EXPECT_EQ(FullPath("."), base + "/sub");
    EXPECT_EQ(FullPath(""), base + "/sub");
    EXPECT_EQ(FullPath("-dash"), base + "/sub/-dash");
}

}  // namespace
// Runs of separators are one, a trailing one names the folder before it, and patterns follow
// the shell's rules: a leading dot is matched only by a dot, a backslash and a bracket are
// characters.
TEST(PlatformPaths, SpellingsAndPatterns) {
    const struct {
        const char* path;
        const char* collapsed;
        bool bEndsInSeparator;
    } spellings[] = {
        {"a///b//", "a/b/", true},    {"//x", "/x", false}, {"/", "/", false},
        {"./keys/", "./keys/", true}, {"x", "x", false},
    };
    for (const auto& c : spellings) {
        EXPECT_EQ(CollapseSeparators(c.path), c.collapsed) << c.path;
        EXPECT_EQ(EndsInSeparator(c.path), c.bEndsInSeparator) << c.path;
        EXPECT_FALSE(IsDriveRelative(c.path)) << c.path;
    }
    const struct {
        const char* pattern;
        const char* name;
        bool bMatches;
    } patterns[] = {
        {"wild*.txt", "wild1.txt", true},
        {"*", ".hidden", false},
        {".*", ".hidden", true},
        {"WILD*", "wild1", false},
        {"a\\b", "a\\b", true},
        {"?.dat", "ab.dat", false},
        // Brackets are characters of the name, never a class or its negation.
        {"photo [1]*", "photo 1.jpg", false},
        {"photo [1]*", "photo [1].jpg", true},
        {"report[!0]*", "reportA.txt", false},
        {"report[!0]*", "report[!0].txt", true},
        {"[a-z]", "b", false},
        {"a*b?c", "a[b]c", true},
    };
    for (const auto& c : patterns) {
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.bMatches) << c.pattern << " " << c.name;
    }
}

}  // namespace quorrel::test

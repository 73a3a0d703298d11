// What a named list entry comes to: the spellings of a path, patterns, and entries named again
// after the run destroyed them. Shared by every system.
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

// One list run in a fresh work folder holding keys/x, file.txt, wild1.txt, wild2.txt,
// other.txt, wildd/z and, where links exist, link -> keys.
class CNamedRun {
public:
    CNamedRun() : m_engine(m_files, m_host) {
        MakeFolder(m_dir / "keys");
        MakeFolder(m_dir / "wildd");
        for (const char* name :
             {"keys/x", "file.txt", "wild1.txt", "wild2.txt", "other.txt", "wildd/z"}) {
            WriteFile(m_dir / name, "secret");
        }
        m_bLinks = MakeLink(m_dir / "keys", m_dir / "link");
    }

    // `text` with every "%" replaced by the work folder and its separator: "%keys/" is the
    // folder keys spelt with a trailing separator.
    std::string At(const std::string& text) const {
        std::string result;
        for (const char c : text) {
            result += c == '%' ? m_dir.Path() + PreferredSeparator() : std::string(1, c);
        }
        return result;
    }

    // Runs the list over `rows` (each through At); the lines between banner and time line.
    std::vector<std::string> Run(const std::vector<std::string>& rows) {
        std::vector<std::string> paths;
        for (const std::string& row : rows) {
            paths.push_back(At(row));
        }
        m_host.ClearLines();
        m_list = std::make_unique<CRowList>(paths);
        RunWipeSelected(m_engine, *m_list);
        const std::vector<std::string>& lines = m_host.Lines();
        return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
    }

    // The names left in the work folder, sorted, "link" left out.
    std::vector<std::string> Left() const {
        std::vector<std::string> names = ListNames(m_dir.Path());
        names.erase(std::remove(names.begin(), names.end(), "link"), names.end());
        return names;
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CFakeFileSystem m_files;
    CWipeEngine m_engine;
    std::unique_ptr<CRowList> m_list;
    bool m_bLinks = false;
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::vector<std::string> kAll = {"file.txt",  "keys",      "other.txt",
                                       "wild1.txt", "wild2.txt", "wildd"};

// kAll without `gone`.
std::vector<std::string> AllBut(const std::vector<std::string>& gone) {
    std::vector<std::string> left;
    for (const std::string& name : kAll) {
        if (std::find(gone.begin(), gone.end(), name) == gone.end()) {
            left.push_back(name);
        }
    }
    return left;
}

struct CNameCase {
    std::vector<std::string> rows;  // "%" is the work folder
    std::string line;               // a line the run must write
    std::vector<std::string> left;  // the names left in the work folder
    bool bFailed;                   // one failure line, and the row stays
};

// Runs each case in a fresh folder and checks its line, what is left and the row's outcome.
void RunCases(const std::vector<CNameCase>& cases) {
    for (const CNameCase& c : cases) {
        CNamedRun run;
        const std::string what = c.rows.back();
        if (what.find("link") != std::string::npos && !run.m_bLinks) {
            continue;  // this system makes no links
        }
        const std::vector<std::string> lines = run.Run(c.rows);
        EXPECT_TRUE(Has(lines, run.At(c.line))) << what << ": " << run.At(c.line);
        EXPECT_EQ(run.Left(), c.left) << what;
        EXPECT_EQ(run.m_engine.FailureCount(), c.bFailed ? 1 : 0) << what;
        EXPECT_EQ(run.m_list->GetItemCount(), c.bFailed ? 1 : 0) << what;
        if (what.find("link") != std::string::npos) {
            EXPECT_EQ(ReadFile(run.m_dir / "keys/x"), "secret") << "a link was followed";
        }
    }
}

}  // namespace

// A trailing separator names the folder before it; runs of separators are shown as one; a
// file or a link spelt as a folder is refused.
TEST(NamedEntries, PathSpellingsNameTheirEntry) {
    RunCases({
        {{"%keys/"}, "Folder %keys/ is removed", AllBut({"keys"}), false},
        {{"%keys///"}, "Folder %keys/ is removed", AllBut({"keys"}), false},
        {{"%keys//x"}, "File %keys/x successfuly deleted ", kAll, false},
        {{"%file.txt/"}, "%file.txt/ is not a file system objekt", kAll, true},
        {{"%link/"}, "* %link/ is a link, not a folder; links are never followed", kAll, true},
    });
}

// Every entry a pattern matches is shredded as if it had been named, each with its own lines;
// a pattern that matches nothing is reported like a missing entry.
TEST(NamedEntries, PatternsShredEveryMatch) {
    RunCases({
        {{"%wild*.txt"},
         "File %wild2.txt successfuly deleted ",
         AllBut({"wild1.txt", "wild2.txt"}),
         false},
        {{"%w?ld*"},
         "Folder %wildd is removed",
         AllBut({"wild1.txt", "wild2.txt", "wildd"}),
         false},
        {{"%wild*/"}, "File %wildd/z successfuly deleted ", AllBut({"wildd"}), false},
        {{"%*.txt/"}, "%*.txt/ is not a file system objekt", kAll, true},
        {{"%nomatch*"}, "%nomatch* is not a file system objekt", kAll, true},
    });
}

// A name that holds pattern characters is taken literally when the entry exists (where the
// system allows such names): the literal name wins.
TEST(NamedEntries, ALiteralNameWinsOverThePattern) {
    CNamedRun run;
    try {
        WriteFile(run.m_dir / "wild*", "secret");
    } catch (const std::exception&) {
        GTEST_SKIP() << "this system allows no * in a name";
    }
    run.Run({"%wild*"});
    EXPECT_EQ(run.Left(), kAll);
}

// The same entry twice, or an entry inside a folder the run destroyed: shredded once, and the
// second mention says it is gone without failing the run.
TEST(NamedEntries, EntriesNamedAgainAreGoneNotFailed) {
    const std::string gone = " was shredded earlier in this run";
    RunCases({
        {{"%file.txt", "%file.txt"},
         "%file.txt is gone: %file.txt" + gone,
         AllBut({"file.txt"}),
         false},
        {{"%keys", "%keys/x"}, "%keys/x is gone: %keys" + gone, AllBut({"keys"}), false},
        {{"%keys/", "%keys//x"}, "%keys/x is gone: %keys/" + gone, AllBut({"keys"}), false},
        {{"%file.txt", "%keys/../file.txt"},
         "%keys/../file.txt is gone: %file.txt" + gone,
         AllBut({"file.txt"}),
         false},
        {{"%wild*.txt", "%wild2.txt"},
         "%wild2.txt is gone: %wild2.txt" + gone,
         AllBut({"wild1.txt", "wild2.txt"}),
         false},
    });
}

// What one run destroyed is forgotten by the next: a name that is gone then names nothing.
TEST(NamedEntries, ANewRunForgetsWhatTheLastOneDestroyed) {
    CNamedRun run;
    run.Run({"%file.txt"});
    EXPECT_EQ(run.Run({"%file.txt"}).back(), run.At("%file.txt is not a file system objekt"));
    EXPECT_EQ(run.m_engine.FailureCount(), 1);
}

// A path relative to a drive's own current folder is refused with a line that says why.
TEST(NamedEntries, DriveRelativePathsAreRefused) {
    if (!IsDriveRelative("E:notes.txt")) {
        GTEST_SKIP() << "no drive letters here";
    }
    for (const std::string named : {"E:", "E:notes.txt", "c:sub\\notes.txt"}) {
        CNamedRun run;
        EXPECT_EQ(run.Run({named}).back(),
                  "* " + named +
                      " is relative to the current folder of its drive, which this program "
                      "does not use; name it from the drive's root (" +
                      named.substr(0, 2) + "\\...)");
        EXPECT_EQ(run.m_list->GetItemCount(), 1);
    }
}

}  // namespace quorrel::test

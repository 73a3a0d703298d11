// quorrel-shred end to end: the built program run as a child process on real files, its
// settings in a temporary folder, its output and exit status read back.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/ShredArguments.h"
#include "cli/TerminalHost.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/TrashSupport.h"

extern char** environ;

namespace quorrel::test {
namespace {

using std::chrono::steady_clock;

// How long any one run may take before the test gives up on it.
constexpr auto kRunLimit = std::chrono::seconds(120);

const char* const kSimpleBanner =
    "- Deleteing files using: Simple (1 pass: writes 0x00) algorithm.";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsTimeLine(const std::string& line) {
    return std::regex_match(line, std::regex("- Time: [0-9]+ seconds\\."));
}

// What a finished run left behind.
struct CRun {
    int nExit = -1;   // the exit status, -1 when the process did not exit normally
    std::string out;  // all of standard output
    std::string err;  // all of standard error
    std::vector<std::string> Lines() const { return SplitLines(out); }
    // The log lines without the closing time line, which must be there and well formed.
    std::vector<std::string> LinesBeforeTime() const {
        std::vector<std::string> lines = Lines();
        EXPECT_FALSE(lines.empty());
        if (!lines.empty()) {
            EXPECT_TRUE(IsTimeLine(lines.back())) << lines.back();
            lines.pop_back();
        }
        return lines;
    }
};

// One quorrel-shred process: its standard output and error are read as they come.
class CShredProcess {
public:
    // Starts the program with `args` in the folder `cwd`. Its settings come from `configHome`
    // (both XDG_CONFIG_HOME and HOME point into it unless `env` says otherwise). Standard input
    // is `stdinFd`, or /dev/null when it is -1; standard output is `stdoutFd` when it is not -1.
    CShredProcess(const std::vector<std::string>& args, const std::string& cwd,
                  const std::string& configHome, const std::map<std::string, std::string>& env = {},
                  int stdinFd = -1, int stdoutFd = -1) {
        std::map<std::string, std::string> vars = {{"XDG_CONFIG_HOME", configHome},
                                                   {"HOME", configHome}};
        for (const auto& [name, value] : env) {
            vars[name] = value;
        }
        std::vector<std::string> envStrings;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (vars.count(text.substr(0, text.find('='))) == 0) {
                envStrings.push_back(text);
            }
        }
        for (const auto& [name, value] : vars) {
            if (value != "<unset>") {
                envStrings.push_back(name + "=" + value);
            }
        }
        std::vector<std::string> argStrings = {QUORREL_SHRED_PATH};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (std::string& arg : argStrings) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        for (std::string& var : envStrings) {
            envp.push_back(var.data());
        }
        envp.push_back(nullptr);

        int outPipe[2];
        int errPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipes";
            return;
        }
        const int input = stdinFd >= 0 ? stdinFd : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(input, STDIN_FILENO);
            ::dup2(stdoutFd >= 0 ? stdoutFd : outPipe[1], STDOUT_FILENO);
            ::dup2(errPipe[1], STDERR_FILENO);
            if (::chdir(cwd.c_str()) != 0) {
                ::_exit(127);
            }
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        if (stdinFd < 0) {
            ::close(input);
        }
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        m_outFd = outPipe[0];
        m_errFd = errPipe[0];
        m_deadline = steady_clock::now() + kRunLimit;
    }

    ~CShredProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        CloseFd(m_outFd);
        CloseFd(m_errFd);
    }
    CShredProcess(const CShredProcess&) = delete;
    CShredProcess& operator=(const CShredProcess&) = delete;

    // Reads until standard output holds the whole line `line`; false when the program ended
    // (or took too long) first.
    bool WaitForLine(const std::string& line) {
        while (!HasLine(line)) {
            if (!ReadSome()) {
                return HasLine(line);
            }
        }
        return true;
    }

    void Signal(int nSignal) { ::kill(m_pid, nSignal); }

    // Sends `nSignal` and waits until the program has taken it (no longer pending): a second
    // one sent before that would merge with it.
    void SignalTaken(int nSignal) {
        Signal(nSignal);
        const unsigned long long nBit = 1ULL << (nSignal - 1);
        while (steady_clock::now() < m_deadline) {
            std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
            unsigned long long nPending = 0;
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) {
                    nPending |= std::stoull(line.substr(7), nullptr, 16);
                }
            }
            if ((nPending & nBit) == 0) {
                return;
            }
            ::poll(nullptr, 0, 10);
        }
    }

    // Waits, without reading, until the program is stuck writing to its full standard output
    // pipe. False when it ended (or took too long) first.
    bool WaitUntilStuckOnOutput() {
        while (steady_clock::now() < m_deadline) {
            std::ifstream wchan("/proc/" + std::to_string(m_pid) + "/wchan");
            std::string where;
            std::getline(wchan, where);
            if (where.find("pipe_write") != std::string::npos) {
                return true;
            }
            if (::waitpid(m_pid, nullptr, WNOHANG) != 0) {
                return false;
            }
            ::poll(nullptr, 0, 10);
        }
        return false;
    }

    // Reads everything to the end and collects the exit status.
    CRun Finish() {
        while (ReadSome()) {
        }
        CRun run;
        if (steady_clock::now() >= m_deadline) {
            ADD_FAILURE() << "quorrel-shred did not finish in time";
            ::kill(m_pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = m_strOut;
        run.err = m_strErr;
        return run;
    }

private:
    static void CloseFd(int& fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

    bool HasLine(const std::string& line) const {
        return m_strOut.rfind(line + "\n", 0) == 0 ||
               m_strOut.find("\n" + line + "\n") != std::string::npos;
    }

    // Waits for output on either pipe and takes it; false once both are closed or time is up.
    bool ReadSome() {
        while (m_outFd >= 0 || m_errFd >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                m_deadline - steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd fds[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                return false;
            }
            bool bGotData = false;
            bGotData |= Drain(fds[0], m_outFd, m_strOut);
            bGotData |= Drain(fds[1], m_errFd, m_strErr);
            if (bGotData) {
                return true;
            }
        }
        return false;
    }

    static bool Drain(const pollfd& ready, int& fd, std::string& text) {
        if (fd < 0 || (ready.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            CloseFd(fd);
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_strOut;
    std::string m_strErr;
    steady_clock::time_point m_deadline;
};

// Every test gets a work folder for the files to shred and a settings folder of its own, so
// the user's real settings are never read.
class CliShred : public ::testing::Test {
protected:
    CRun Shred(const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {}) {
        CShredProcess process(args, m_work.Path(), m_config.Path(), env);
        return process.Finish();
    }

    // Stores the method the way the window's settings object writes it.
    void StoreSetting(const std::string& folder, const std::string& text) {
        MakeFolder(folder + "/Tellmoor");
        WriteFile(folder + "/Tellmoor/Quorrel.conf", text);
    }

    CTempDir m_work;
    CTempDir m_config;
};

TEST_F(CliShred, ShredsEveryPathGivenAndLogsEachStep) {
    const std::string a = m_work / "a.txt";
    const std::string b = m_work / "read-only.txt";
    WriteFile(a, "first secret");
    WriteFile(b, "second secret");
    SetMode(b, 0444);

    const CRun run = Shred({"--yes", a, b});
    EXPECT_EQ(run.nExit, 0) << run.err;
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{kSimpleBanner, "Wipeing file " + a,
                                        "File " + a + " successfuly deleted ", "Wipeing file " + b,
                                        "File " + b + " successfuly deleted "}));
    EXPECT_EQ(run.err, "");  // no terminal: no progress bar
    EXPECT_TRUE(ListNames(m_work.Path()).empty());
}

TEST_F(CliShred, AnyEntryNotDestroyedMakesTheExitStatusOne) {
    MakeFolder(m_work / "keep");
    WriteFile(m_work / "keep/target", "target data");
    const std::string link = m_work / "link";
    ASSERT_EQ(::symlink((m_work / "keep/target").c_str(), link.c_str()), 0);
    const std::string missing = m_work / "missing";
    const std::string file = m_work / "file";
    WriteFile(file, "x");

    const CRun run = Shred({"-y", missing, file, link});
    EXPECT_EQ(run.nExit, 1) << run.err;
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{
                  kSimpleBanner, missing + " is not a file system objekt", "Wipeing file " + file,
                  "File " + file + " successfuly deleted ", "Wipeing file " + link,
                  "File " + link + " successfuly deleted "}));
    // The link went as an entry; what it pointed at is untouched.
    EXPECT_EQ(ListNames(m_work.Path()), std::vector<std::string>{"keep"});
    EXPECT_EQ(ReadFile(m_work / "keep/target"), "target data");
}

TEST_F(CliShred, FolderRunShredsTheTreeAndRemovesEveryFolder) {
    const std::string root = m_work / "tree";
    MakeFolder(root);
    MakeFolder(root + "/sub");
    WriteFile(root + "/sub/f", "secret");

    const CRun run = Shred({"--folder", root, "--yes"});
    EXPECT_EQ(run.nExit, 0) << run.err;
    EXPECT_EQ(
        run.LinesBeforeTime(),
        (std::vector<std::string>{
            "- Start deleteing files " + root + " using: Simple (1 pass: writes 0x00) algorithm.",
            "Wipeing folder " + root, "Wipeing folder " + root + "/sub",
            "Wipeing file " + root + "/sub/f", "File " + root + "/sub/f successfuly deleted ",
            "Folder " + root + "/sub is removed", "Folder " + root + " is removed",
            "- End deleting the folder " + root}));
    EXPECT_TRUE(ListNames(m_work.Path()).empty());

    const CRun missing = Shred({"--yes", "--folder=" + root});
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_EQ(missing.Lines(),
              (std::vector<std::string>{"- Start deleteing files " + root +
                                            " using: Simple (1 pass: writes 0x00) algorithm.",
                                        "* Error deleting the folder " + root}));
}

// The method comes from --method, else from the window's stored Options, else it is 0.
TEST_F(CliShred, MethodComesFromTheOptionThenTheStoredSettingThenZero) {
    const std::string file = m_work / "f";
    const std::string dod7 =
        "- Deleteing files using: US DoD 5220.22-M (7 passes: writes 0x00 and 0xFF - US "
        "govermant aprooved) algorithm.";
    const std::string dod3 =
        "- Deleteing files using: US DoD 5220.22-M (3 passes: writes 0x00 and 0xFF) algorithm.";

    WriteFile(file, "x");
    CRun run = Shred({"--yes", file});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.Lines().at(0), kSimpleBanner);

    StoreSetting(m_config.Path(), "[1.0]\nUsing%20Alorithm=2\n");
    WriteFile(file, "x");
    run = Shred({"--yes", file});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.Lines().at(0), dod7);

    WriteFile(file, "x");
    run = Shred({"--method", "1", "--yes", file});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.Lines().at(0), dod3);

    WriteFile(file, "x");
    run = Shred({"--method=0", "--yes", file});
    EXPECT_EQ(run.Lines().at(0), kSimpleBanner);

    WriteFile(file, "x");
    run = Shred({"--method=7", "--yes", file});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.Lines().at(0), "- Deleteing files using: Unknown algorithm.");

    // Without XDG_CONFIG_HOME the settings sit under ~/.config.
    CTempDir home;
    MakeFolder(home / ".config");
    StoreSetting(home / ".config", "[1.0]\nUsing%20Alorithm=1\n");
    WriteFile(file, "x");
    run = Shred({"--yes", file}, {{"XDG_CONFIG_HOME", "<unset>"}, {"HOME", home.Path()}});
    EXPECT_EQ(run.Lines().at(0), dod3);
    WriteFile(file, "x");
    run = Shred({"--yes", file}, {{"XDG_CONFIG_HOME", ""}, {"HOME", home.Path()}});
    EXPECT_EQ(run.Lines().at(0), dod3);

    // A stored value in another group, or under another key, is not the method.
    StoreSetting(home.Path(), "[2.0]\nUsing%20Alorithm=2\n[1.0]\nUsing%20Algorithm=2\n");
    WriteFile(file, "x");
    run = Shred({"--yes", file}, {{"XDG_CONFIG_HOME", home.Path()}});
    EXPECT_EQ(run.Lines().at(0), kSimpleBanner);
    EXPECT_FALSE(Exists(file));
}

TEST_F(CliShred, WithoutATerminalOrYesNothingIsChanged) {
    const std::string file = m_work / "f";
    WriteFile(file, "keep");
    MakeFolder(m_work / "d");
    WriteFile(m_work / "d/inner", "keep");

    for (const auto& args : std::vector<std::vector<std::string>>{
             {file}, {"--method", "3", file}, {"--folder", m_work / "d"}}) {
        const CRun run = Shred(args);
        EXPECT_EQ(run.nExit, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("no terminal"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was changed"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(file), "keep");
    EXPECT_EQ(ReadFile(m_work / "d/inner"), "keep");
}

TEST_F(CliShred, UsageErrorsChangeNothing) {
    const std::string file = m_work / "f";
    WriteFile(file, "keep");
    WriteFile(m_work / "-f", "keep");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "nothing to shred: give PATH..., --folder DIR or --recycle-bin"},
        {{"--yes"}, "nothing to shred: give PATH..., --folder DIR or --recycle-bin"},
        {{"--yes", "--method", "x", file},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--yes", file, "--method"},
         "--method needs a whole number: 0 to 3 name the methods, any other number writes 10 "
         "passes of 0x55"},
        {{"--yes", "--folder", m_work.Path(), file},
         "give either --folder DIR or PATH..., not both"},
        {{"--yes", "--bogus", file}, "unknown option --bogus"},
        // A path that looks like an option needs "--" before it.
        {{"--yes", "-f"}, "unknown option -f"},
    };
    for (const auto& [args, message] : cases) {
        const CRun run = Shred(args);
        EXPECT_EQ(run.nExit, 2) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "quorrel-shred: " + message + "\nTry 'quorrel-shred --help'.\n");
    }
    EXPECT_EQ(ListNames(m_work.Path()), (std::vector<std::string>{"-f", "f"}));
    EXPECT_EQ(ReadFile(file), "keep");
    EXPECT_EQ(ReadFile(m_work / "-f"), "keep");
}

TEST_F(CliShred, HelpPrintsTheUsageAndChangesNothing) {
    WriteFile(m_work / "f", "keep");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h", "f"}, {"--yes", "--help", "f"}}) {
        const CRun run = Shred(args);
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.out, ShredUsage());
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(ReadFile(m_work / "f"), "keep");
}

// A log that cannot be written (a full disk) is said on standard error and makes the exit
// status 1; the shredding itself goes on to its end.
TEST_F(CliShred, OutputThatCannotBeWrittenIsAFailure) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--help"}, "quorrel-shred: standard output could not be written: "},
        {{"--version"}, "quorrel-shred: standard output could not be written: "},
        {{"-y", "a", "b"}, "quorrel-shred: the log could not be written to standard output: "},
        {{"-y", "--folder", "d"},
         "quorrel-shred: the log could not be written to standard output: "},
    };
    for (const auto& c : cases) {
        WriteFile(m_work / "a", "secret");
        WriteFile(m_work / "b", "secret");
        MakeFolder(m_work / "d");
        const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        ASSERT_GE(full, 0);
        CShredProcess process(c.args, m_work.Path(), m_config.Path(), {}, -1, full);
        ::close(full);
        const CRun run = process.Finish();
        EXPECT_EQ(run.nExit, 1) << c.args[0];
        EXPECT_EQ(run.err, c.message + std::string(std::strerror(ENOSPC)) + "\n") << c.args[0];
        const bool bRan = c.args[0] == "-y";
        EXPECT_EQ(Exists(m_work / "a"), !bRan || c.args[1] == "--folder") << c.args[1];
        EXPECT_EQ(Exists(m_work / "d"), !bRan || c.args[1] != "--folder") << c.args[1];
        if (Exists(m_work / "d")) {
            ::rmdir((m_work / "d").c_str());
        }
    }
}

TEST_F(CliShred, NameThatIsNotUtf8TravelsByteForByte) {
    const std::string name = "\xff\xfe\x80 not utf-8 \xc3";
    const std::string file = m_work / name;
    WriteFile(file, "secret");
    CRun run = Shred({"--yes", file});
    EXPECT_EQ(run.nExit, 0) << run.err;
    // A lone 0x80 is a C1 control to some terminals: the log shows it escaped.
    const std::string shownName = EscapeControls(file);
    EXPECT_EQ(shownName, m_work / "\xff\xfe\\x80 not utf-8 \xc3");
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{kSimpleBanner, "Wipeing file " + shownName,
                                        "File " + shownName + " successfuly deleted "}));
    EXPECT_TRUE(ListNames(m_work.Path()).empty());

    // Inside a folder walk the name comes from the listing, and travels just the same.
    const std::string folder = m_work / ("d\xe9");
    MakeFolder(folder);
    WriteFile(folder + "/" + name, "secret");
    run = Shred({"--yes", "--folder", folder});
    EXPECT_EQ(run.nExit, 0) << run.err;
    const std::vector<std::string> lines = run.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Wipeing file " + EscapeControls(folder + "/" + name));
    EXPECT_EQ(lines[3], "File " + EscapeControls(folder + "/" + name) + " successfuly deleted ");
    EXPECT_TRUE(ListNames(m_work.Path()).empty());

    // Control characters are shown escaped: a name cannot print a line of its own.
    const std::string forged = m_work / "a\nFile zz successfuly deleted \x1b[2K";
    WriteFile(forged, "secret");
    run = Shred({"--yes", forged});
    EXPECT_EQ(run.nExit, 0) << run.err;
    const std::string shown = m_work / "a\\x0AFile zz successfuly deleted \\x1B[2K";
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{kSimpleBanner, "Wipeing file " + shown,
                                        "File " + shown + " successfuly deleted "}));
}

TEST_F(CliShred, PathStartingWithDashIsShreddedAfterDoubleDash) {
    WriteFile(m_work / "-rf", "secret");
    WriteFile(m_work / "--yes", "secret");
    WriteFile(m_work / "keep", "keep");
    // Relative names: the random name is formed beside them in the current folder.
    const CRun run = Shred({"--yes", "--", "-rf", "--yes"});
    EXPECT_EQ(run.nExit, 0) << run.err;
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{kSimpleBanner, "Wipeing file -rf",
                                        "File -rf successfuly deleted ", "Wipeing file --yes",
                                        "File --yes successfuly deleted "}));
    EXPECT_EQ(ListNames(m_work.Path()), std::vector<std::string>{"keep"});
}

// A terminal on standard input: the question is asked there, and only yes goes on.
class CTerminal {
public:
    CTerminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
    }
    ~CTerminal() {
        if (m_slave >= 0) {
            ::close(m_slave);
        }
        if (m_master >= 0) {
            ::close(m_master);
        }
    }
    CTerminal(const CTerminal&) = delete;
    CTerminal& operator=(const CTerminal&) = delete;
    bool Ready() const { return m_slave >= 0; }
    int Slave() const { return m_slave; }
    // Types `text` as if at the keyboard.
    void Type(const std::string& text) { (void)::write(m_master, text.data(), text.size()); }

private:
    int m_master = -1;
    int m_slave = -1;
};

TEST_F(CliShred, QuestionOnTheTerminalGoesOnOnlyForYes) {
    const std::string file = m_work / "f";
    WriteFile(file, "keep");
    const char* const listQuestion =
        "Are you really sure that you want to permannetly erase these items ? [y/N] ";
    for (const char* answer : {"n\n", "\n", "yess\n", "no\n"}) {
        CTerminal terminal;
        ASSERT_TRUE(terminal.Ready());
        terminal.Type(answer);
        CShredProcess process({file}, m_work.Path(), m_config.Path(), {}, terminal.Slave());
        const CRun run = process.Finish();
        EXPECT_EQ(run.nExit, 1) << answer;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, std::string(listQuestion) + "quorrel-shred: nothing was changed\n");
    }
    EXPECT_EQ(ReadFile(file), "keep");

    MakeFolder(m_work / "d");
    {
        CTerminal terminal;
        ASSERT_TRUE(terminal.Ready());
        terminal.Type("n\n");
        CShredProcess process({"--folder", m_work / "d"}, m_work.Path(), m_config.Path(), {},
                              terminal.Slave());
        const CRun run = process.Finish();
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(
            run.err.rfind("Are you realy shour that you want to erase this folder ? [y/N] ", 0), 0u)
            << run.err;
        EXPECT_TRUE(Exists(m_work / "d"));
    }
    {
        CTerminal terminal;
        ASSERT_TRUE(terminal.Ready());
        terminal.Type("y\n");
        CShredProcess process({file}, m_work.Path(), m_config.Path(), {}, terminal.Slave());
        const CRun run = process.Finish();
        EXPECT_EQ(run.nExit, 0) << run.err;
        EXPECT_EQ(run.Lines().at(1), "Wipeing file " + file);
        EXPECT_FALSE(Exists(file));
    }
}

// Ctrl-C (or SIGTERM) while a file is being overwritten: that file is left truncated and
// reported, the run stops before the next entry, and the exit status is 1.
// Ctrl-C, SIGTERM and a closed terminal are all Cancel: the file in progress keeps its length
// (a later run reaches every block) and the run ends with its abort line.
// A file size limit (ulimit -f) ends no run without a word: the write past it is reported on
// the file, which keeps its length, the next file is shredded, and the exit status says so.
TEST_F(CliShred, AFileSizeLimitIsReportedOnTheFileAndTheRunGoesOn) {
    const std::string big = m_work / "big.bin";
    const std::string small = m_work / "small.txt";
    WriteFile(big, std::string(64 * 1024, 'd'));
    WriteFile(small, "s");
    struct rlimit was {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
    struct rlimit limit = was;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    CShredProcess process({"--yes", big, small}, m_work.Path(), m_config.Path());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &was), 0);
    const CRun run = process.Finish();
    EXPECT_EQ(run.nExit, 1) << run.err;
    const std::vector<std::string> lines = run.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(
        lines[2].rfind(
            "* Error writing to file " + big + ": " + big + " would grow past the file size", 0),
        0u)
        << lines[2];
    EXPECT_EQ(ReadFile(big).size(), 64u * 1024);
    EXPECT_FALSE(Exists(small));
}

// What a name brings into a line is shown escaped, whatever kind of control it is: C0 and DEL,
// C1 raw or as UTF-8, and the marks that reorder the text after them; other characters,
// valid or not, stay as they are.
TEST(CliTerminal, EveryKindOfControlIsShownEscaped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\x1B[2Kb", "a\\x1B[2Kb"},
        {"a\x7F", "a\\x7F"},
        {"a\x9B"
         "b",
         "a\\x9Bb"},
        {"a\xC2\x9B", "a\\xC2\\x9B"},
        {"\xE2\x80\xAEtxt.exe", "\\xE2\\x80\\xAEtxt.exe"},
        {"\xE2\x81\xA6x", "\\xE2\\x81\\xA6x"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xFF\xA0", "caf\xC3\xA9 \xE2\x82\xAC \xFF\xA0"},
    };
    for (const auto& [raw, shown] : cases) {
        EXPECT_EQ(EscapeControls(raw), shown) << shown;
    }
}

// A run stuck where it cannot look at Cancel (here: writing a line to a reader that does not
// read) ends at once on a second signal, and says so.
TEST_F(CliShred, ASecondInterruptEndsAStuckRunAtOnce) {
#ifdef QUORREL_TSAN
    // ThreadSanitizer holds a signal back until the thread leaves the write it is stuck in,
    // which is exactly what this run never does.
    GTEST_SKIP() << "signals wait for the stuck write under ThreadSanitizer";
#endif
    std::vector<std::string> args = {"--yes"};
    for (int i = 0; i < 300; ++i) {
        args.push_back(m_work / (std::to_string(i) + std::string(200, 'n')));
        WriteFile(args.back(), "x");
    }
    CShredProcess process(args, m_work.Path(), m_config.Path());
    ASSERT_TRUE(process.WaitUntilStuckOnOutput());
    process.SignalTaken(SIGINT);
    process.Signal(SIGINT);
    const CRun run = process.Finish();
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.err, "quorrel-shred: stopped at once; the file in progress keeps its length\n");
    ASSERT_FALSE(run.Lines().empty());
    EXPECT_FALSE(IsTimeLine(run.Lines().back()));
}

TEST_F(CliShred, InterruptAbortsTheRunAndKeepsTheFileWhole) {
    // Big enough that its 30 passes take seconds.
    const std::string data(16 * 1024 * 1024, 'd');
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string big = m_work / "big.bin";
        const std::string after = m_work / "after.txt";
        WriteFile(big, data);
        WriteFile(after, "never reached");

        CShredProcess process({"--yes", "--method", "3", big, after}, m_work.Path(),
                              m_config.Path());
        ASSERT_TRUE(process.WaitForLine("Wipeing file " + big));
        process.Signal(nSignal);
        const CRun run = process.Finish();

        EXPECT_EQ(run.nExit, 1) << "signal " << nSignal << ": " << run.err;
        EXPECT_EQ(
            run.LinesBeforeTime(),
            (std::vector<std::string>{
                "- Deleteing files using: Strongest (30 passes: writes random data) algorithm.",
                "Wipeing file " + big,
                "* Process is aborted deleteing file " + big +
                    ". This file is probably corupt now and cant be used normaly."}));
        struct stat st {};
        ASSERT_EQ(::lstat(big.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, static_cast<off_t>(data.size()));
        EXPECT_EQ(ReadFile(after), "never reached");
        EXPECT_EQ(ListNames(m_work.Path()), (std::vector<std::string>{"after.txt", "big.bin"}));
        ::unlink(big.c_str());
        ::unlink(after.c_str());
    }
}

TEST_F(CliShred, RecycleBinAsksFirstThenShredsTheTrashAndEmptiesIt) {
    // The home trash sits in the test's own data folder, and no real mount is looked at.
    const std::string trash = m_work / "data/Trash";
    MakeFolder(m_work / "data");
    PutInTrash(trash, "secret.txt", "trashed secret");
    const std::map<std::string, std::string> env = {
        {"XDG_DATA_HOME", m_work / "data"},
        {"QUORREL_TEST_MOUNT_PREFIX", m_work / "no-mounts-here"}};

    const CRun refused = Shred({"--recycle-bin"}, env);  // no --yes, no terminal: nothing done
    EXPECT_EQ(refused.nExit, 2);
    EXPECT_EQ(ReadFile(trash + "/files/secret.txt"), "trashed secret");

    const CRun run = Shred({"--yes", "--recycle-bin"}, env);
    EXPECT_EQ(run.nExit, 0) << run.err;
    const std::string file = trash + "/files/secret.txt";
    EXPECT_EQ(run.LinesBeforeTime(),
              (std::vector<std::string>{"- Start shredding recycle bin.",
                                        "Shredding resycle bin file " + file,
                                        "File " + file + " successfuly shreded frm recykle bin "}));
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(ListNames(trash + "/files").empty());
    EXPECT_TRUE(ListNames(trash + "/info").empty());
}

// A run that walked everything but could not destroy a file another program holds has failed,
// whether the file sat in a folder of --folder, of the list, or in the trash.
TEST_F(CliShred, AFileLeftByAWalkOrInTheBinMakesTheExitStatusOne) {
    const std::string tree = m_work / "tree";
    const std::string files = m_work / "data/Trash/files";
    MakeFolder(m_work / "data");
    const std::map<std::string, std::string> env = {
        {"XDG_DATA_HOME", m_work / "data"},
        {"QUORREL_TEST_MOUNT_PREFIX", m_work / "no-mounts-here"}};
    const std::string refused = "* Error seting file attribute on file " + tree +
                                "/held: A sharing violation occurred while accessing an unnamed "
                                "file.";
    const std::string binRefused = "* Error opening file " + files +
                                   "/held: A sharing violation occurred while accessing " + files +
                                   "/held.";
    struct CCase {
        std::vector<std::string> args;
        std::string folder;  // where the held file and a free one lie
        std::string line;
    };
    for (const CCase& c :
         {CCase{{"--yes", "--folder", tree}, tree, refused}, CCase{{"--yes", tree}, tree, refused},
          CCase{{"--yes", "--recycle-bin"}, files, binRefused}}) {
        if (c.folder == tree && !Exists(tree)) {
            MakeFolder(tree);
        }
        PutInTrash(m_work / "data/Trash", "held", "secret");
        WriteFile(c.folder + "/held", "secret");
        WriteFile(c.folder + "/free", "secret");
        CHeldFile hold(c.folder + "/held");
        ASSERT_TRUE(hold.IsHeld());
        const CRun run = Shred(c.args, env);
        EXPECT_EQ(run.nExit, 1) << c.args.back() << ": " << run.err;
        const std::vector<std::string> lines = run.Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << run.out;
        EXPECT_FALSE(Exists(c.folder + "/free")) << c.args.back();
    }
    EXPECT_EQ(ReadFile(tree + "/held"), "secret");
}

}  // namespace
}  // namespace quorrel::test

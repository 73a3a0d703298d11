// Linked into every test program: before main() runs, it makes sure the program was started in
// a throw-away home (tests/harness/run_isolated.sh, which CTest runs every test through), and
// otherwise stops it with the reason. A test that shreds the Recycle Bin or writes the settings
// then cannot reach the real user's trash or profile, even if it forgets to point them anywhere.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The file run_isolated.sh leaves in the folder it made, so that a folder picked by hand is not
// taken for one.
constexpr const char* kRootMarker = ".quorrel-test-root";
constexpr int kRefusedExit = 125;

[[noreturn]] void Refuse(const std::string& why) {
    std::fprintf(stderr,
                 "Quorrel test harness: refusing to start: %s.\n"
                 "Tests run only in a temporary home of their own: start them with ctest, or by "
                 "hand through\n  bash tests/harness/run_isolated.sh FOLDER PROGRAM [ARGS...]\n",
                 why.c_str());
    std::fflush(stderr);
    std::_Exit(kRefusedExit);
}

// The value of `name`; refuses when it is unset or empty.
std::string Require(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        Refuse(std::string(name) + " is not set");
    }
    return value;
}

// `path` with every link and "." or ".." resolved, as far as it exists.
fs::path Resolved(const std::string& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(fs::path(path), error);
    return error ? fs::path(path).lexically_normal() : resolved;
}

// True when `path` lies strictly inside `root`.
bool IsInside(const fs::path& path, const fs::path& root) {
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

// Refuses unless the folder `name` holds lies inside `root`.
void RequireInside(const char* name, const fs::path& root) {
    const std::string value = Require(name);
    if (value[0] != '/' || !IsInside(Resolved(value), root)) {
        Refuse(std::string(name) + "=" + value + " is not inside the test's temporary folder " +
               root.string());
    }
}

void RefuseUnlessIsolated() {
    const std::string rootText = Require("QUORREL_TEST_ROOT");
    std::error_code error;
    const fs::path root = fs::canonical(rootText, error);
    if (error || rootText[0] != '/' || !fs::is_regular_file(root / kRootMarker, error)) {
        Refuse("QUORREL_TEST_ROOT=" + rootText +
               " is not a temporary folder made by run_isolated.sh");
    }
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "QUORREL_TEST_MOUNT_PREFIX"}) {
        RequireInside(name, root);
    }
}

// Runs the check while the program's globals are set up, before any test can run.
const struct CIsolationGuard {
    CIsolationGuard() { RefuseUnlessIsolated(); }
} g_isolationGuard;

}  // namespace

#include "cli/ShredArguments.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/HelpPlaces.h"

namespace quorrel {

namespace {

bool ParseMethod(const std::string& text, int& nMethod) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    nMethod = static_cast<int>(value);
    return true;
}

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        return false;
    }
    value = args[++i];
    return true;
}

bool IsOption(const std::string& arg, const std::string& name) {
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

}  // namespace

bool ParseShredArguments(const std::vector<std::string>& args, CShredOptions& options,
                         std::string& error) {
    bool bOptionsEnded = false;
    bool bHasFolder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (bOptionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.paths.push_back(arg);
        } else if (arg == "--") {
            bOptionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.bHelp = true;
        } else if (arg == "--version") {
            options.bVersion = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.bYes = true;
        } else if (arg == "--verify") {
            options.bVerify = true;
        } else if (arg == "--recycle-bin") {
            options.bRecycleBin = true;
        } else if (IsOption(arg, "--method")) {
            if (!TakeValue(args, i, "--method", value) || !ParseMethod(value, options.nMethod)) {
                error =
                    "--method needs a whole number: 0 to 3 name the methods, any other "
                    "number writes 10 passes of 0x55";
                return false;
            }
            options.bHasMethod = true;
        } else if (IsOption(arg, "--jobs")) {
            int nFiles = 0;
            if (!TakeValue(args, i, "--jobs", value) || !ParseMethod(value, nFiles) || nFiles < 1 ||
                nFiles > kMaxFilesInFlight) {
                error =
                    "--jobs needs a whole number from 1 to " + std::to_string(kMaxFilesInFlight);
                return false;
            }
            options.nFilesInFlight = nFiles;
        } else if (IsOption(arg, "--folder")) {
            if (!TakeValue(args, i, "--folder", value) || value.empty() || bHasFolder) {
                error = "--folder needs one folder";
                return false;
            }
            bHasFolder = true;
            options.strFolder = value;
        } else if (IsOption(arg, "--free-space")) {
            if (!TakeValue(args, i, "--free-space", value) || value.empty() ||
                !options.strFreeSpace.empty()) {
                error = "--free-space needs one folder";
                return false;
            }
            options.strFreeSpace = value;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.bHelp || options.bVersion) {
        return true;
    }
    if (!options.strFreeSpace.empty()) {
        if (options.bRecycleBin || bHasFolder || !options.paths.empty()) {
            error = "--free-space takes no PATH..., no --folder and no --recycle-bin";
            return false;
        }
        if (options.bVerify) {
            // What a fill writes is thrown away at once: reading it back would prove nothing
            // about the freed blocks and keep the disk full twice as long.
            error = "--verify reads back the files a run names; --free-space names none";
            return false;
        }
        return true;
    }
    if (options.bRecycleBin && (bHasFolder || !options.paths.empty())) {
        error = "--recycle-bin takes no PATH... and no --folder";
        return false;
    }
    if (options.bRecycleBin) {
        return true;
    }
    if (bHasFolder && !options.paths.empty()) {
        error = "give either --folder DIR or PATH..., not both";
        return false;
    }
    if (!bHasFolder && options.paths.empty()) {
        error = "nothing to shred: give PATH..., --folder DIR or --recycle-bin";
        return false;
    }
    return true;
}

std::string ShredVersion(const std::string& version) {
    return "quorrel-shred (Quorrel) " + version + "\n";
}

std::string ShredUsage() {
    const CHelpPlaces& places = SystemHelpPlaces();
    return std::string(
               "Usage: quorrel-shred [--method N] [--jobs N] [--verify] [--yes] PATH...\n"
               "       quorrel-shred [--method N] [--jobs N] [--verify] [--yes] --folder DIR\n"
               "       quorrel-shred [--method N] [--jobs N] [--verify] [--yes] --recycle-bin\n"
               "       quorrel-shred [--method N] [--yes] --free-space DIR\n"
               "\n"
               "Destroys files so that their contents cannot be read back: every file is\n"
               "overwritten in place with the method's passes (each pass flushed to the disk),\n"
               "truncated, renamed to a random name in its own folder and deleted. Folders are\n"
               "walked depth first and removed once empty. Symbolic links and special files are\n"
               "removed as entries; what they point to is never touched.\n"
               "\n"
               "  PATH...        files and folders to shred, in the order given. A name is taken\n"
               "                 literally; only when no entry has it, * and ? in its last part\n"
               "                 match, and every entry matched in that folder is shredded as\n"
               "                 if named. A PATH ending in a separator names the folder\n"
               "                 before it. An entry named again after this run destroyed it\n"
               "                 (or a folder holding it) is said to be gone, not a failure.\n"
               "  --folder DIR   shred the whole folder tree DIR\n") +
           places.m_pszTrash + places.m_pszFreeSpace +
           "  --method N     0  Simple (1 pass: writes 0x00)\n"
           "                 1  US DoD 5220.22-M (3 passes: 0x00, 0xFF, 0x00)\n"
           "                 2  US DoD 5220.22-M (7 passes: 0x00 and 0xFF in turn)\n"
           "                 3  Strongest (30 passes: writes random data)\n"
           "                 any other whole number writes 10 passes of 0x55\n" +
           places.m_pszSetting +
           "  --jobs N       shred up to N files of a folder at once (1 to 64), so that a\n"
           "                 slow stick, card or hard disk waits for several at a time; each\n"
           "                 file's steps keep their order and the log is the same; 1 works\n"
           "                 on one file at a time. Without it a run begins one at a time and\n"
           "                 puts up to 8 in flight once files wait for their device\n"
           "  --verify       read every file back from the disk after its last pass and\n"
           "                 compare it with what that pass wrote; a mismatch is a failure\n"
           "  --yes, -y      do not ask before shredding\n"
           "  --help, -h     show this text\n"
           "  --version      show the version\n"
           "  --             end of options: every later argument is a path\n"
           "\n"
           "Without --yes the run's question is asked on the terminal (y/N); with no terminal\n"
           "and no --yes nothing is changed.\n"
           "Every action-log line is printed on standard output (control characters in names\n"
           "shown as \\xNN); a progress bar goes to standard error when it is a terminal.\n" +
           places.m_pszInterrupt + "\n" + places.m_pszNeverTouched + "\n" + places.m_pszFlash +
           "\n"
           "Which lines mean what: a line that starts with \"* \" and ends in \"may remain on\n"
           "the disk\" is a warning: the entry was removed, but old copies of its contents\n" +
           places.m_pszMayRemain +
           "Every other line that starts with \"* \", and every line that ends in \" is not\n"
           "a file system objekt\" (the path names nothing), is a failure. Lines starting\n"
           "with \"- \" open and close a run; all other lines report progress and success.\n"
           "The exit status is the authority. A log that cannot be written to standard\n"
           "output is said on standard error and makes the status 1; the shredding goes on\n"
           "to its end all the same.\n"
           "\n"
           "Exit status: 0 every entry was destroyed; 1 an entry failed, a trash that exists\n"
           "could not be read, the run was aborted, the question was answered no, or the log\n"
           "could not be written; 2 usage error; 3 every entry was removed, but some could\n"
           "not be overwritten where they lay.\n";
}

}  // namespace quorrel

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
               "walked depth first and removed once empty. Links and special files are removed\n"
               "as entries; what they point to is never touched.\n"
               "\n"
               "  PATH...        files and folders to shred, in the order given. A name is taken\n"
               "                 literally; only when no entry has it do * and ? in its last part\n"
               "                 match (nothing else does), each match shredded as if named.\n"
               "  --folder DIR   shred the whole folder tree DIR\n") +
           places.m_pszTrash + places.m_pszFreeSpace +
           "  --method N     0 Simple (1 pass of 0x00)    1 US DoD 5220.22-M (3 passes)\n"
           "                 2 US DoD 5220.22-M (7 passes) 3 Strongest (30 random passes)\n"
           "                 any other whole number writes 10 passes of 0x55\n" +
           places.m_pszSetting +
           "  --jobs N       shred up to N files at once (1 to 64), so that a slow device\n"
           "                 waits for several; without it, up to 8 once files wait\n"
           "  --verify       read every file back from the disk after its last pass\n"
           "  --yes, -y      do not ask before shredding\n"
           "  --help, -h     show this text;  --version  show the version\n"
           "  --             end of options: every later argument is a path\n"
           "\n"
           "Without --yes the question is asked on the terminal (y/N); with no terminal,\n"
           "nothing is changed. " +
           places.m_pszInterrupt + places.m_pszNeverTouched + places.m_pszFlash +
           "\n"
           "A line that starts with \"* \" is a failure, or, when it ends in \"may remain on\n"
           "the disk\", a warning: the entry was removed, but old copies of its contents\n" +
           places.m_pszMayRemain +
           "Exit status: 0 every entry destroyed; 1 a failure, an abort or the answer no;\n"
           "2 usage error; 3 every entry removed, but some not overwritten where they lay.\n"
           "\n"
           "Every option, every line and what survives shredding: man quorrel-shred\n";
}

}  // namespace quorrel

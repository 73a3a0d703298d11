#include "cli/ShredArguments.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

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
    return "Usage: quorrel-shred [--method N] [--verify] [--yes] PATH...\n"
           "       quorrel-shred [--method N] [--verify] [--yes] --folder DIR\n"
           "       quorrel-shred [--method N] [--verify] [--yes] --recycle-bin\n"
           "       quorrel-shred [--method N] [--yes] --free-space DIR\n"
           "\n"
           "Destroys files so that their contents cannot be read back: every file is\n"
           "overwritten in place with the method's passes (each pass flushed to the disk),\n"
           "truncated, renamed to a random name in its own folder and deleted. Folders are\n"
           "walked depth first and removed once empty. Symbolic links and special files are\n"
           "removed as entries; what they point to is never touched.\n"
           "\n"
           "  PATH...        files and folders to shred, in the order given; a name is taken\n"
           "                 literally, * and ? match only when no entry has that name\n"
           "  --folder DIR   shred the whole folder tree DIR\n"
           "  --recycle-bin  shred what is in your trash, then empty it: the home trash\n"
           "                 ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) first, then\n"
           "                 .Trash/$UID and .Trash-$UID at the top of every mounted local,\n"
           "                 writable file system. Every entry of a trash's files/ folder is\n"
           "                 overwritten in place, then files/, info/ and directorysizes are\n"
           "                 emptied. The question names each trash with its entries and size.\n"
           "  --free-space DIR\n"
           "                 wipe the free space of the file system that holds DIR, where\n"
           "                 what was deleted the ordinary way (rm, an emptied trash) still\n"
           "                 lies: a hidden folder .quorrel-free-space is made at the top of\n"
           "                 that file system (or in DIR when the top may not be written),\n"
           "                 filled with files written with the method's passes until the\n"
           "                 disk is full, then with small files, and removed again. The disk\n"
           "                 is full for a while: other programs may fail to write meanwhile.\n"
           "                 As root the administrator's reserve is filled too; as a user it\n"
           "                 is not, and a \"* \" line says how much was not reached. It cannot\n"
           "                 reach old copies in the file system's journal, in snapshots, on\n"
           "                 copy-on-write file systems, or blocks an SSD has remapped.\n"
           "  --method N     0  Simple (1 pass: writes 0x00)\n"
           "                 1  US DoD 5220.22-M (3 passes: 0x00, 0xFF, 0x00)\n"
           "                 2  US DoD 5220.22-M (7 passes: 0x00 and 0xFF in turn)\n"
           "                 3  Strongest (30 passes: writes random data)\n"
           "                 any other whole number writes 10 passes of 0x55\n"
           "                 Without --method the method chosen in Quorrel's Options is used\n"
           "                 (setting \"Using Alorithm\" in ~/.config/Tellmoor/Quorrel.conf), else "
           "0.\n"
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
           "shown as \\xNN); a progress bar goes to standard error when it is a terminal.\n"
           "Ctrl-C, closing the terminal or SIGTERM aborts: the file in progress keeps its\n"
           "length, partly overwritten, and is reported, so that a later run reaches it all.\n"
           "\n"
           "What is never touched: the root folder, \".\" and \"..\", what a link points to, a\n"
           "file with other names (hard links: its data is theirs too), other file systems and\n"
           "bind mounts met inside a folder (a walk stays on one), kernel file systems (proc,\n"
           "sysfs, ...), and a file another program holds a lock on.\n"
           "\n"
           "Lines that start with \"* \" report what did not go as asked. Some say that a file\n"
           "was removed but old copies of its contents may remain on the disk: it lies on a\n"
           "copy-on-write file system (btrfs, bcachefs, ZFS, f2fs, nilfs2), shares its data\n"
           "with another file, or changed while it was shredded.\n"
           "\n"
           "Exit status: 0 every entry was destroyed; 1 an entry failed, a trash that exists\n"
           "could not be read, the run was aborted or the question was answered no; 2 usage\n"
           "error; 3 every entry was removed, but some could not be overwritten where they lay.\n";
}

}  // namespace quorrel

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
           places.m_pszTrash +
           "  --free-space DIR\n"
           "                 wipe the free space of the file system that holds DIR, where\n"
           "                 what was deleted the ordinary way (rm, an emptied trash) still\n"
           "                 lies: a hidden folder .quorrel-free-space is made at the top of\n"
           "                 that file system (or in DIR when the top may not be written),\n"
           "                 filled with files written with the method's passes until the\n"
           "                 disk is full, then with small files, and removed again. The disk\n"
           "                 is full for a while: other programs may fail to write meanwhile.\n"
           "                 As root the administrator's reserve is filled too; as a user it\n"
           "                 is not, and a \"* \" line says how much was not reached. Then it\n"
           "                 clears old names: it refills the unused entry space of DIR and\n"
           "                 of the top folder (and on xfs every free file record) with\n"
           "                 files of its own, and writes the whole ext4 journal or xfs log\n"
           "                 over; a journal it cannot write over (on another device, size\n"
           "                 unreadable: as a user on ext4) gets a \"* \" line and exit 3.\n"
           "                 So it clears what earlier runs and ordinary deletions left.\n"
           "                 Every plain run prevents what only a raw write could clear\n"
           "                 later, and on ext4, FAT and NTFS leaves no name outside the\n"
           "                 journal: an emptied ext4 folder is written out before it is\n"
           "                 removed; on FAT and NTFS each folder a run deletes from is\n"
           "                 refilled with as many files of its own as it lost, once its\n"
           "                 last entry is gone, and they are removed again (xfs needs the\n"
           "                 free-space run). As root it then tells the drive what is free\n"
           "                 (TRIM). It cannot reach snapshots, copy-on-write file\n"
           "                 systems, or blocks an SSD has remapped.\n"
           "                 Not with --verify: the fill is thrown away, so reading it back\n"
           "                 would prove nothing and keep the disk full twice as long.\n"
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
           places.m_pszInterrupt + "\n" + places.m_pszNeverTouched +
           "\n"
           "SSDs, USB sticks and memory cards: overwriting a file in place does not reach\n"
           "every old copy on flash. The drive writes new data to fresh cells and keeps old\n"
           "ones in blocks it has set aside, where no program can read or overwrite them.\n"
           "A run looks at the drive under each volume it shreds on; where it says it is\n"
           "flash, the run ends with one \"* \" line per volume saying so (exit 3), or a\n"
           "\"- \" line where an encryption layer (dm-crypt) lies above the drive. A drive\n"
           "that says it is rotating (many virtual disks do) or says nothing gets no line.\n"
           "Encrypt the whole disk before anything secret is written to it; to clear a\n"
           "whole drive, use its own sanitize or secure-erase command: for an NVMe drive\n"
           "nvme sanitize (nvme-cli), for SATA the ATA secure erase of hdparm\n"
           "(hdparm --security-erase), for others blkdiscard --secure. quorrel-shred never\n"
           "runs them. --free-space as root then tells the drive what is free (TRIM) and\n"
           "says how much.\n"
           "\n"
           "Which lines mean what: a line that starts with \"* \" and ends in \"may remain on\n"
           "the disk\" is a warning: the entry was removed, but old copies of its contents\n"
           "may remain: it lies on a copy-on-write file system (btrfs, bcachefs, ZFS, f2fs,\n"
           "nilfs2), shares its data with another file, changed while it was shredded, lies\n"
           "on an overlay whose lower layer keeps its first copy (such a file is removed\n"
           "without being copied up), or has its data in the journal too (ext4 data=journal,\n"
           "inline data).\n"
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

// The command line of quorrel-shred.
#pragma once

#include <string>
#include <vector>

namespace quorrel {

struct CShredOptions {
    bool bHelp = false;
    bool bVersion = false;
    bool bYes = false;
    bool bRecycleBin = false;  // shred the user's trash, then empty it
    bool bVerify = false;      // read every file back after its last pass
    bool bHasMethod = false;
    int nMethod = 0;
    int nFilesInFlight = 0;          // --jobs: files shredded at once; 0 for the default
    std::string strFolder;           // set for a folder run
    std::string strFreeSpace;        // set for a free-space run: a folder on that file system
    std::vector<std::string> paths;  // the entries of a list run, in the order given
};

// Reads argv (without the program's own name). On a usage error returns false with `error`
// saying what is wrong. Paths are kept byte for byte; "--" ends the options.
// The most files --jobs may put in flight.
constexpr int kMaxFilesInFlight = 64;

bool ParseShredArguments(const std::vector<std::string>& args, CShredOptions& options,
                         std::string& error);

// The text --version prints: the program's name and `version`, one line.
std::string ShredVersion(const std::string& version);

// The text --help prints.
std::string ShredUsage();

}  // namespace quorrel

// quorrel-shred's arguments, the input cut at NULs into argv. A refused command line says
// why; an accepted one asks for exactly one kind of run.
#include <cstdlib>

#include "cli/ShredArguments.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = quorrel::fuzz::SplitArguments(data, size);
    quorrel::CShredOptions options;
    std::string error;
    if (!quorrel::ParseShredArguments(args, options, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    const int nKinds = (options.bRecycleBin ? 1 : 0) + (options.strFolder.empty() ? 0 : 1) +
                       (options.strFreeSpace.empty() ? 0 : 1) + (options.paths.empty() ? 0 : 1);
    if (!options.bHelp && !options.bVersion && nKinds != 1) {
        std::abort();
    }
    return 0;
}

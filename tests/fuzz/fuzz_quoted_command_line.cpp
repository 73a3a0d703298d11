// The start-up paths: the whole command-line text of the Windows form, and the same bytes cut
// at NULs as argv. A quoted token never holds a quote; argv gives every argument after the
// program's own, byte for byte.
#include <cstdlib>
#include <vector>

#include "list/StartupPaths.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& token : quorrel::ParseQuotedCommandLine(text)) {
        if (token.contains('"')) {
            std::abort();
        }
    }
    std::vector<std::string> args = quorrel::fuzz::SplitArguments(data, size);
    args.insert(args.begin(), "quorrel");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    const QList<QByteArray> tokens =
        quorrel::ArgvTokens(static_cast<int>(args.size()), argv.data());
    if (tokens.size() != static_cast<qsizetype>(args.size()) - 1) {
        std::abort();
    }
    return 0;
}

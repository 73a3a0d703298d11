// What the fuzz targets share: an input handed to a reader that takes a file, and the Qt
// application the settings readers need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorrel::fuzz {

// The input written to a file, removed again when this goes: always the same name in a private
// folder (in /dev/shm when there is one, so no disk is involved), with a modification time of
// its own. The settings object caches what it parsed by file name and reads a file again only
// when its size or time stamp changed: a new time stamp makes it read every input afresh, and
// the one name keeps its cache from growing with every input (which would make the leak
// checker scan the whole heap after each one).
class CInputFile {
public:
    CInputFile(const std::uint8_t* data, std::size_t size);
    ~CInputFile();
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Creates the process's QCoreApplication once (settings objects want one); call it from
// LLVMFuzzerInitialize.
void StartQt(int* argc, char*** argv);

// The input cut at every NUL byte into the arguments of a command line (an input without a
// NUL is one argument; an empty one, none).
std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size);

}  // namespace quorrel::fuzz

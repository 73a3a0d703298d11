// /proc/self/mountinfo as the walk reads it to name the file system of each mount.
#include <sstream>
#include <string>

#include "platform/posix/PosixSupport.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream table(std::string(reinterpret_cast<const char*>(data), size));
    (void)quorrel::posix::ParseMountInfoTypes(table);
    return 0;
}

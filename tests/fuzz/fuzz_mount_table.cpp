// The mount table in the form of /proc/self/mounts, as the trash locator reads it, each mount
// then judged as a place a trash may live.
#include <string>

#include "platform/posix/FreedesktopTrash.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const quorrel::CMountEntry& mount : quorrel::ParseMountTable(text)) {
        (void)quorrel::IsTrashableMount(mount);
    }
    return 0;
}

// The settings file as quorrel-shred reads it without the window's toolkit: the method's
// value found in the INI text, then decoded.
#include <string>

#include "engine/file/WipeMethod.h"
#include "platform/Settings.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorrel::fuzz::CInputFile file(data, size);
    std::string raw;
    if (quorrel::ReadIniValue(file.Path(), "1.0", "Using Alorithm", raw)) {
        (void)quorrel::DecodeStoredWipeMethod(raw);
    }
    return 0;
}

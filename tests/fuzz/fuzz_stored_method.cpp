// The stored method's text as quorrel-shred decodes it: a decimal number or a @ByteArray
// value with its escapes.
#include <string>

#include "engine/file/WipeMethod.h"
#include "platform/Settings.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const int nMethod = quorrel::DecodeStoredWipeMethod(raw);
    (void)quorrel::WipeMethodName(nMethod);
    (void)quorrel::WipePassByte(nMethod, quorrel::WipePassCount(nMethod) - 1);
    return 0;
}

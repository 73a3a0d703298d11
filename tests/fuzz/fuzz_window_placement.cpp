// The 48-byte window placement record from the profile, decoded as the main frame does before
// it opens; what decodes must encode back to a record that decodes the same.
#include <cstdlib>

#include "shell/WindowPlacement.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quorrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SWindowPlacement placement;
    if (!DecodeWindowPlacement(bytes, placement)) {
        return 0;
    }
    SWindowPlacement again;
    if (placement.normal.width() <= 0 || placement.normal.height() <= 0 ||
        !DecodeWindowPlacement(EncodeWindowPlacement(placement), again) ||
        again.normal != placement.normal || again.nShowCmd != placement.nShowCmd) {
        std::abort();
    }
    return 0;
}

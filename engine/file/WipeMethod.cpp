#include "engine/file/WipeMethod.h"

namespace quorrel {

namespace {

// One row per method the Options list offers, in the order of their values. A value outside
// the table is "Unknown" and writes ten passes of 0x55.
struct CMethodRow {
    const char* name;
    int nPasses;
    bool bAlternate;  // passes alternate 0x00 (even) and 0xFF (odd); else every pass is 0x00
};

constexpr CMethodRow kMethods[kWipeMethodCount] = {
    {"Simple (1 pass: writes 0x00)", 1, false},
    {"US DoD 5220.22-M (3 passes: writes 0x00 and 0xFF)", 3, true},
    {"US DoD 5220.22-M (7 passes: writes 0x00 and 0xFF - US govermant aprooved)", 7, true},
    {"Strongest (30 passes: writes random data)", 30, false},
};
constexpr CMethodRow kUnknownMethod = {"Unknown", 10, false};
constexpr std::uint8_t kUnknownByte = 0x55;

const CMethodRow& RowOf(int nMethod) {
    return nMethod >= 0 && nMethod < kWipeMethodCount ? kMethods[nMethod] : kUnknownMethod;
}

}  // namespace

const char* WipeMethodName(int nMethod) {
    return RowOf(nMethod).name;
}

int WipePassCount(int nMethod) {
    return RowOf(nMethod).nPasses;
}

std::uint8_t WipePassByte(int nMethod, int nPass) {
    if (nMethod == kWipeMethodRandom || nMethod < 0 || nMethod >= kWipeMethodCount) {
        return kUnknownByte;  // the random method replaces it byte by byte
    }
    return RowOf(nMethod).bAlternate && nPass % 2 != 0 ? 0xFF : 0x00;
}

}  // namespace quorrel

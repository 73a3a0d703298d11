#include "platform/WindowsVersion.h"

namespace quorrel {

namespace {
constexpr int kPlatformNt = 2;
}

bool IsWindows5OrLater(const CWindowsVersionFacts& facts) {
    if (!facts.bExtendedQueryOk && !facts.bBasicQueryOk) {
        return false;
    }
    return facts.nPlatformId == kPlatformNt && facts.nMajorVersion > 4;
}

}  // namespace quorrel

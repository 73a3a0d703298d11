// Facts about the Windows version, as the Windows backend reads them, and what follows from
// them. Pure functions: the rules are tested everywhere, the facts come from the system.
#pragma once

namespace quorrel {

// What the version queries returned: the extended query (structure size 284) is tried first,
// then the basic one (size 276); a query that failed leaves its facts unset.
struct CWindowsVersionFacts {
    bool bExtendedQueryOk = false;
    bool bBasicQueryOk = false;
    int nPlatformId = 0;  // 2 is the NT platform
    int nMajorVersion = 0;
};

// True when the system is of the NT platform with major version 5 or later, which takes the
// larger file-dialog parameter block. False when neither query succeeded.
bool IsWindows5OrLater(const CWindowsVersionFacts& facts);

}  // namespace quorrel

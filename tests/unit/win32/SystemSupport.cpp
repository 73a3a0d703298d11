// The test helpers that need Windows calls: links, and a file held as another program holds
// one.
#include "platform/win32/Win32Support.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

CHeldFile::CHeldFile(const std::string& path) {
    HANDLE h = ::CreateFileW(win32::ExtendedPath(path).c_str(), GENERIC_READ, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        m_nHandle = reinterpret_cast<std::intptr_t>(h);
    }
}

CHeldFile::~CHeldFile() {
    if (m_nHandle != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_nHandle));
    }
}

bool MakeLink(const std::string& target, const std::string& link) {
    const DWORD attributes = ::GetFileAttributesW(win32::ExtendedPath(target).c_str());
    const DWORD nFlags =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
            ? SYMBOLIC_LINK_FLAG_DIRECTORY
            : 0;
    // Some systems say they made a link and made none: only a link that is there counts.
    return ::CreateSymbolicLinkW(win32::Widen(link).c_str(), win32::Widen(target).c_str(),
                                 nFlags) != 0 &&
           ::GetFileAttributesW(win32::ExtendedPath(link).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace quorrel::test

// Conversions, error codes and handle facts shared by the Win32 backend.
#include "platform/win32/Win32Support.h"

#include <winternl.h>

#include <vector>

namespace quorrel::win32 {

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

std::uint64_t FileIndex(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// The path the system knows the open object `h` by ("\\?\C:\x"); empty when it does not say.
std::wstring FinalPath(HANDLE h) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    DWORD nChars =
        ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (nChars >= buffer.size()) {
        buffer.resize(nChars + 1);
        nChars =
            ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    return nChars == 0 || nChars >= buffer.size() ? std::wstring()
                                                  : std::wstring(buffer.data(), nChars);
}

// Two paths the file system takes for the same (letter case ignored, as it compares names).
bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int nSize = static_cast<int>(text.size());
    const int nChars = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), nSize, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(nChars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), nSize, wide.data(), nChars);
    return wide;
}

std::string Narrow(const wchar_t* text, std::size_t nChars) {
    if (nChars == 0) {
        return std::string();
    }
    const int nSize = static_cast<int>(nChars);
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, text, nSize, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(nBytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, nSize, narrow.data(), nBytes, nullptr, nullptr);
    return narrow;
}

std::string Narrow(const std::wstring& text) {
    return Narrow(text.data(), text.size());
}

std::wstring ExtendedPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (StartsWith(wide, L"\\\\?\\")) {
        return wide;
    }
    std::vector<wchar_t> full(MAX_PATH);
    DWORD nChars =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (nChars >= full.size()) {
        full.resize(nChars + 1);
        nChars =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    const std::wstring absolute = nChars == 0 ? wide : std::wstring(full.data(), nChars);
    if (StartsWith(absolute, L"\\\\.\\")) {
        return absolute;  // a device is named as such, never as a file
    }
    if (StartsWith(absolute, L"\\\\")) {
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    }
    return L"\\\\?\\" + absolute;
}

std::wstring ChildPath(const std::wstring& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + Widen(name);
    }
    return folder + L'\\' + Widen(name);
}

int CauseFromWin32Error(DWORD nError) {
    switch (nError) {
        case ERROR_SUCCESS:
            return kCauseNone;
        case ERROR_FILE_NOT_FOUND:
            return kCauseFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
            return kCauseBadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return kCauseTooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return kCauseAccessDenied;
        case ERROR_INVALID_HANDLE:
            return kCauseInvalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return kCauseRemoveCurrentDir;
        case ERROR_NO_MORE_FILES:
        case ERROR_CANNOT_MAKE:
            return kCauseDirectoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return kCauseBadSeek;
        case ERROR_NOT_READY:
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return kCauseHardIO;
        case ERROR_SHARING_VIOLATION:
        case ERROR_SHARING_BUFFER_EXCEEDED:
            return kCauseSharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
        case ERROR_LOCK_FAILED:
            return kCauseLockViolation;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
        case ERROR_DISK_QUOTA_EXCEEDED:
            return kCauseDiskFull;
        case ERROR_HANDLE_EOF:
            return kCauseEndOfFile;
        default:
            return kCauseGeneric;
    }
}

}  // namespace quorrel::win32

namespace quorrel {

int CauseFromSystemError(int nOsError) {
    return win32::CauseFromWin32Error(static_cast<DWORD>(nOsError));
}

}  // namespace quorrel

namespace quorrel::win32 {

CFileError Win32Error(DWORD nError, const std::string& name) {
    CFileError error;
    error.m_nCause = CauseFromWin32Error(nError);
    error.m_strFileName = name;
    error.m_nOsError = static_cast<int>(nError);
    if (nError == ERROR_ALREADY_EXISTS || nError == ERROR_FILE_EXISTS) {
        error.m_eFault = EFileFault::NameTaken;
    } else if (nError == kErrReplaced) {
        error.m_eFault = EFileFault::Replaced;
    } else if (nError == kErrThroughLink) {
        error.m_eFault = EFileFault::Link;
    }
    return error;
}

CFileError LastError(const std::string& name) {
    return Win32Error(::GetLastError(), name);
}

CHandle OpenRelative(HANDLE folder, const std::string& name, const CRelativeOpen& how) {
    std::wstring wide = Widen(name);
    if (name.empty() || IsDotName(name) || wide.find_first_of(L"\\/") != std::wstring::npos) {
        ::SetLastError(ERROR_INVALID_NAME);  // one entry of this folder, never a path
        return CHandle();
    }
    UNICODE_STRING text{};
    text.Buffer = wide.data();
    text.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    ULONG nOptions =
        FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT;
    nOptions |= how.bFolder ? FILE_DIRECTORY_FILE : 0;
    nOptions |= how.bFile ? FILE_NON_DIRECTORY_FILE : 0;
    IO_STATUS_BLOCK status{};
    HANDLE h = INVALID_HANDLE_VALUE;
    const NTSTATUS nStatus =
        ::NtCreateFile(&h, how.nAccess | SYNCHRONIZE, &attributes, &status, nullptr,
                       how.bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, how.nShare,
                       how.bCreate ? FILE_CREATE : FILE_OPEN, nOptions, nullptr, 0);
    if (nStatus < 0) {
        ::SetLastError(::RtlNtStatusToDosError(nStatus));
        return CHandle();
    }
    return CHandle(h);
}

bool LeadsElsewhere(HANDLE h, const std::wstring& path) {
    const std::wstring final = FinalPath(h);
    if (final.empty() || SamePath(final, path)) {
        return false;
    }
    // A short (8.3) name leads to the entry's long name, which is no link.
    std::vector<wchar_t> longName(path.size() + MAX_PATH);
    const DWORD nChars =
        ::GetLongPathNameW(path.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    return nChars == 0 || nChars >= longName.size() ||
           !SamePath(final, std::wstring(longName.data(), nChars));
}

bool DescribeHandle(HANDLE h, const std::string& name, CDirEntry& entry, const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) {
        return false;
    }
    entry.m_strName = name;
    if (!path.empty()) {
        const DWORD byName = ::GetFileAttributesW(path.c_str());
        if ((byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT) != 0) ||
            LeadsElsewhere(h, path)) {
            info.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        }
    }
    entry.m_attributes = info.dwFileAttributes;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        entry.m_attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);  // never entered
    }
    entry.m_id.m_nVolume = info.dwVolumeSerialNumber;
    entry.m_id.m_nIndex = FileIndex(info);
    entry.m_nLinks = info.nNumberOfLinks;
    entry.m_nMount = info.dwVolumeSerialNumber;
    entry.m_mode = 0;  // access is governed by lists, not mode bits
    entry.m_nSize = static_cast<std::int64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return true;
}

bool IsSameEntry(const CDirEntry& now, const CDirEntry& listed) {
    constexpr std::uint32_t kKind = kAttrDirectory | kAttrReparsePoint | kAttrDevice;
    return now.m_id == listed.m_id && (now.m_attributes & kKind) == (listed.m_attributes & kKind);
}

CVolumeFacts VolumeOfHandle(HANDLE h) {
    CVolumeFacts facts;
    wchar_t name[MAX_PATH + 1] = {};
    DWORD nFlags = 0;
    if (::GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, &nFlags, name,
                                        MAX_PATH + 1)) {
        facts.m_strType = Narrow(std::wstring(name));
    }
    // ReFS writes every change to new blocks and clones blocks between files.
    facts.m_bCopyOnWrite = facts.m_strType == "ReFS";
    facts.m_bCanShareData = facts.m_bCopyOnWrite;
    return facts;
}

}  // namespace quorrel::win32

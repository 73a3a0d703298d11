// What the Win32 backend's folder, file and file-system classes share. Internal to platform/.
#pragma once

#include <windows.h>

#include <winioctl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Handle.h"

#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace quorrel::win32 {

// UTF-8 to UTF-16 and back: names pass through unchanged, whatever the code page.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text, std::size_t nChars);

// `path` made absolute (GetFullPathNameW) and given the "\\?\" prefix, so that no length
// limit applies and no part of it is interpreted again ("\\?\UNC\" for a share). A path that
// has the prefix already is kept.
std::wstring ExtendedPath(const std::string& path);
// `folder` (an extended path) joined with the bare `name`.
std::wstring ChildPath(const std::wstring& folder, const std::string& name);

// The cause a system error code stands for.
int CauseFromWin32Error(DWORD nError);
// A failure from the system error code `nError`, naming `name`.
CFileError Win32Error(DWORD nError, const std::string& name = kUnnamedFile);
// The failure of the call that just failed (GetLastError), naming `name`.
CFileError LastError(const std::string& name = kUnnamedFile);

// The error a handle check reports: the entry at that name is no longer the one listed.
constexpr DWORD kErrReplaced = ERROR_FILE_INVALID;
// The error a handle check reports for a link that the handle went through to its target.
constexpr DWORD kErrThroughLink = ERROR_CANT_ACCESS_FILE;

// What an open relative to a folder asks for.
struct CRelativeOpen {
    DWORD nAccess = FILE_READ_ATTRIBUTES;
    DWORD nShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    bool bCreate = false;  // a new entry, never an existing one
    bool bFolder = false;  // only a folder (else anything; see bFile)
    bool bFile = false;    // only a file that is no folder
};

// Opens the entry `name` of the open folder `folder` by the folder's handle, not by a path:
// the entry itself (a link or junction is never followed), as `how` asks. No handle, with the
// system's error set, when it can't.
CHandle OpenRelative(HANDLE folder, const std::string& name, const CRelativeOpen& how);

// Identity, attributes and number of names of the open object `h`, as an entry of a folder
// named `name`. With the entry's `path`, a link is told by its name and by where the handle
// leads too (see LeadsElsewhere): Wine opens a POSIX link as its target, and names only a link
// to a folder a reparse point. False with the system's error set when they cannot be read.
bool DescribeHandle(HANDLE h, const std::string& name, CDirEntry& entry,
                    const std::wstring& path = std::wstring());

// True when the open object `h`, opened as the entry at the extended `path`, is not that entry
// but what it leads to. Wine shows a POSIX link on a mapped drive as a plain file (no reparse
// point, from its name or its handle) and acts on the target through every handle of it, a
// rename or a deletion included; only the handle's final path names the target. False when
// the system cannot tell.
bool LeadsElsewhere(HANDLE h, const std::wstring& path);

// True when `now`, as DescribeHandle read it, is the entry `listed` (same volume, file index
// and kind).
bool IsSameEntry(const CDirEntry& now, const CDirEntry& listed);

// The file system the open object `h` lives on (ReFS writes new data to new blocks).
CVolumeFacts VolumeOfHandle(HANDLE h);

// A folder opened as `h`, which it owns from now on, at the extended path `path`.
std::unique_ptr<IFolder> MakeFolder(CHandle h, std::wstring path, const CDirEntry& self);
// Opens the folder at the extended `path` (following links in it, the user named it) with
// the sharing a held folder uses: readers and writers, not renaming or deleting it.
std::unique_ptr<IFolder> OpenFolderAt(const std::wstring& path, CFileError& error);

// A file opened for writing as `h`, which it owns from now on, its write failures naming
// `fullPath`.
std::unique_ptr<IFileHandle> MakeFile(CHandle h, std::string fullPath);

}  // namespace quorrel::win32

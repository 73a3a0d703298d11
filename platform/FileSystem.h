// The file layer the shredder stands on: one portable interface, one backend per system.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "FileError.h"

namespace quorrel {

// Attribute bits, with the values the Windows backend reads from the system.
enum : std::uint32_t {
    kAttrReadOnly = 0x01,      // the owner may not write
    kAttrHidden = 0x02,        // a dot name
    kAttrSystem = 0x04,        // never set by the POSIX backend
    kAttrDirectory = 0x10,     // a real directory; a link to one is not
    kAttrDevice = 0x40,        // FIFO, socket or device node: no data of its own
    kAttrReparsePoint = 0x400  // symbolic link or junction: never followed
};

// True when the entry holds data of its own that can be overwritten: neither a folder, nor a
// link, nor a special file.
inline bool IsPlainFile(std::uint32_t attributes) {
    return (attributes & (kAttrDirectory | kAttrDevice | kAttrReparsePoint)) == 0;
}

// What a look-up by path tells about an entry (never following a final link).
struct CFileStatus {
    std::uint32_t m_attributes = 0;
    std::int64_t m_size = 0;
    std::uint32_t m_mode = 0;  // the system's own permission bits, where it has them
};

// One entry of a folder listing: its bare name and its attributes.
struct CDirEntry {
    std::string m_strName;
    std::uint32_t m_attributes = 0;
};

// An open file, opened for writing with no sharing. Closed by its destructor on every path.
class IFileHandle {
public:
    virtual ~IFileHandle() = default;
    // Seeks to the end and reports the position: the file's length in bytes.
    virtual bool GetLength(std::int64_t& nLength, CFileError& error) = 0;
    // Moves the write position back to offset 0.
    virtual bool SeekToBegin(CFileError& error) = 0;
    // Writes all `nBytes`; a write that cannot complete reports disk full (cause 13).
    // Failures name the full path of the file.
    virtual bool Write(const void* pData, std::size_t nBytes, CFileError& error) = 0;
    // Forces what was written down to the medium. Failures name the full path.
    virtual bool Flush(CFileError& error) = 0;
    // Cuts the file to `nLength` bytes (never longer than it is).
    virtual bool Truncate(std::int64_t nLength, CFileError& error) = 0;
    // Closes the file; later calls fail with an invalid handle.
    virtual bool Close(CFileError& error) = 0;
};

// The operations the shredder needs of a file system. Paths are byte strings, used exactly as
// given: nothing is converted, trimmed or limited in length by this layer.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // Reads the status of `path` itself (a final link is not followed).
    virtual bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) = 0;
    // Writes the status back: the read-only bit as given, and proves the file can be opened
    // for reading and writing (a file held open without sharing fails with cause 11).
    virtual bool SetStatus(const std::string& path, const CFileStatus& status,
                           CFileError& error) = 0;
    // Writes the attribute bits this system can store (the read-only bit); links are left
    // alone. False when the change failed.
    virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // Opens an existing regular file for writing with share mode 0 (an exclusive lock).
    // Failures name the path as given.
    virtual std::unique_ptr<IFileHandle> OpenForWrite(const std::string& path,
                                                      CFileError& error) = 0;
    // Renames `from` to `to`; an existing `to` is never replaced (the rename fails).
    virtual bool Rename(const std::string& from, const std::string& to, CFileError& error) = 0;
    // Deletes the entry `path` (a file, link or special file; never a folder).
    virtual bool Delete(const std::string& path, CFileError& error) = 0;
    // Removes the empty folder `path`.
    virtual bool RemoveFolder(const std::string& path) = 0;
    // Lists every entry of `folder`, "." and ".." included, in the system's order, as one
    // snapshot taken now. False when the folder cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<CDirEntry>& entries) = 0;
    // Looks a path up the way a listing of that path would: the entry itself, or the first
    // match of a `*`/`?` pattern in its last part. A path ending in a separator and the root
    // of the file system are not found.
    virtual bool FindEntry(const std::string& path, CDirEntry& entry) = 0;
    // True when `path` names the root folder of the whole file system.
    virtual bool IsFileSystemRoot(const std::string& path) = 0;
};

// The file system of the machine this program runs on.
IFileSystem& SystemFileSystem();

// True when `c` separates the parts of a path on this system ('/'; '\\' too on Windows).
bool IsPathSeparator(char c);

// Joins a folder and an entry name with one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder part of `path` ("." when it has none), without a trailing separator.
std::string ParentFolder(const std::string& path);

// `path` made absolute against the current directory, with "." and ".." parts resolved
// by their names, as the open of a file reports its full path.
std::string FullPath(const std::string& path);

}  // namespace quorrel

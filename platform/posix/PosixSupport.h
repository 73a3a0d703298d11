// What the POSIX backend's folder, file and file-system classes share. Internal to platform/.
#pragma once

#include <sys/stat.h>

#include <cerrno>

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/PosixErrno.h"
#include "platform/posix/PosixFd.h"

namespace quorrel::posix {

// The file system type of every mount in `table`, read in the form of /proc/self/mountinfo:
// mount id first, the type the first field after the " - " separator. Lines without either
// are skipped; a later line for the same id wins.
std::map<std::uint64_t, std::string> ParseMountInfoTypes(std::istream& table);

// The attribute bits of an entry, from its status and its bare name.
std::uint32_t AttributesFromMode(std::uint32_t mode, const std::string& name);

// The entry `name` of the open folder `dirFd`, looked up without following a final link:
// identity, number of names and mount included. False with errno set when it can't be read.
bool StatEntry(int dirFd, const std::string& name, CDirEntry& entry);

// The mount of the open file or folder `fd` (0 when the system can't tell).
std::uint64_t MountOf(int fd);

// The file system `fd` lives on: its name, whether it is a pseudo file system (never to be
// written) and whether it writes new data to new blocks (copy-on-write, log-structured).
CVolumeFacts VolumeOf(int fd);

// This process's descriptor folder of /proc ("/proc/self/fd"), held open once it was found
// to be the kernel's own (procfs, not something mounted over it); -1 where there is none. The
// descriptor stays owned here.
int ProcFdFolder();

// Opens the object behind the descriptor `fd` again with `flags` through ProcFdFolder(), and
// keeps what came back only when it is that very object (device and file number). None with
// errno set otherwise: ENOENT where there is no real /proc (the caller then reaches the entry
// another way), kErrReplaced when /proc gave back another object.
CFd ReopenThroughProc(int fd, int flags);

// Writes the permission bits `mode` to the object behind the bare reference `fd`: with
// fchmodat2 on the reference itself where the kernel has it, else through a /proc entry checked
// to lead to that object. False with errno set (ENOENT: neither way exists here).
bool ChangeModeOf(int fd, std::uint32_t mode);

// The errno an identity check reports: the entry at that name is no longer the one that was
// listed (ErrnoError marks it as such).
constexpr int kErrReplaced = ESTALE;

// The identity of the object `st` describes.
CFileId IdOfStat(const struct stat& st);

// True when `st` describes the entry `listed` (same device and file number, same kind).
bool IsSameEntry(const struct stat& st, const CDirEntry& listed);

// A folder opened from `fd`, which it owns from now on; `id` is its identity.
std::unique_ptr<IFolder> MakeFolder(CFd fd, const CFileId& id);

// A file opened for writing from `fd`, which it owns from now on, its write failures naming
// `fullPath`. `opened`, when given, is the file's status taken as it was opened: its first
// GetLength() answers from it, before anything is written. `folderFd` (owned from now on) and
// `name`, when given, are where the file is read back from where there is no /proc.
std::unique_ptr<IFileHandle> MakeFile(CFd fd, std::string fullPath,
                                      const struct stat* opened = nullptr, CFd folderFd = CFd(),
                                      std::string name = std::string());

// Whether another holder has a lock of any kind on the open file `fd`: an flock, a POSIX
// record lock or an open-file-description lock. 0 when none, else the errno to report.
int CheckNoOtherLock(int fd, bool bTakeExclusive);

// The space of the file system `fd` lives on (statvfs).
bool SpaceOf(int fd, CVolumeSpace& space, CFileError& error);

// Asks the file system `fd` lives on to tell its drive which of its blocks from byte `nStart`
// on, `nLength` bytes (to the end when negative), are free (FITRIM).
CTrimResult TrimFreeSpaceOf(int fd, std::int64_t nStart, std::int64_t nLength);

// Creates the new folder `name` in `dirFd` with `nMode` and opens it as MakeFolder does.
std::unique_ptr<IFolder> CreateFolderIn(int dirFd, const std::string& name, std::uint32_t nMode,
                                        CFileError& error);

// Creates the new file `name` in `dirFd` (mode 0600, never an existing entry) for writing.
std::unique_ptr<IFileHandle> CreateFileIn(int dirFd, const std::string& name,
                                          const std::string& displayPath, CFileError& error);

// Opens the top folder of the mount `fd` belongs to: ".." is followed while it stays on the
// same mount. `topPath` is the path /proc gives for it (empty where it can't).
std::unique_ptr<IFolder> OpenTopOf(int fd, std::string& topPath, CFileError& error);

// A field of the mount table with its octal escapes ("\040" for a space and the like) turned
// back into the bytes they stand for.
std::string DecodeMountField(const std::string& field);

}  // namespace quorrel::posix

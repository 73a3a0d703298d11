// The POSIX meaning of the file layer's failure causes: errno mapped onto them.
#pragma once

#include <string>

#include "platform/FileError.h"

namespace quorrel {

// Maps a POSIX errno onto a cause: ENOENT 2, ENOTDIR/ENAMETOOLONG 3, EMFILE/ENFILE 4,
// EACCES/EPERM/EROFS 5, EBADF 6, EIO 10, EWOULDBLOCK (lock held) 11, ENOSPC/EDQUOT 13,
// anything else 1.
int CauseFromErrno(int nErrno);

// Builds the failure for errno `nErrno`, naming `name` in its message.
CFileError ErrnoError(int nErrno, const std::string& name = kUnnamedFile);

}  // namespace quorrel

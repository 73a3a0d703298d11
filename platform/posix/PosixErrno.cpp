#include "platform/posix/PosixErrno.h"

#include <cerrno>

namespace quorrel {

int CauseFromErrno(int nErrno) {
    switch (nErrno) {
        case 0:
            return kCauseNone;
        case ENOENT:
            return kCauseFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
            return kCauseBadPath;
        case EMFILE:
        case ENFILE:
            return kCauseTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return kCauseAccessDenied;
        case EBADF:
            return kCauseInvalidFile;
        case EIO:
            return kCauseHardIO;
        case EWOULDBLOCK:
            return kCauseSharingViolation;
        case ENOSPC:
        case EDQUOT:
            return kCauseDiskFull;
        case EFBIG:
            return kCauseFileTooLarge;
        case ETXTBSY:
            return kCauseInUse;
        case ESTALE:
            return kCauseReplaced;
        default:
            return kCauseGeneric;
    }
}

int CauseFromSystemError(int nOsError) {
    return CauseFromErrno(nOsError);
}

CFileError ErrnoError(int nErrno, const std::string& name) {
    CFileError error;
    error.m_nCause = CauseFromErrno(nErrno);
    error.m_strFileName = name;
    error.m_nOsError = nErrno;
    if (nErrno == EEXIST) {
        error.m_eFault = EFileFault::NameTaken;
    } else if (nErrno == ESTALE) {
        error.m_eFault = EFileFault::Replaced;  // what the backend reports for a swapped entry
    }
    return error;
}

}  // namespace quorrel

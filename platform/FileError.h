// File-layer failures: a cause code (0-14) and the name the message speaks of.
#pragma once

#include <string>

namespace quorrel {

// The causes a file operation can fail with. The numbering is fixed: log lines and the
// Windows backend both rely on it.
enum EFileCause : int {
    kCauseNone = 0,
    kCauseGeneric = 1,
    kCauseFileNotFound = 2,
    kCauseBadPath = 3,
    kCauseTooManyOpenFiles = 4,
    kCauseAccessDenied = 5,
    kCauseInvalidFile = 6,
    kCauseRemoveCurrentDir = 7,
    kCauseDirectoryFull = 8,
    kCauseBadSeek = 9,
    kCauseHardIO = 10,
    kCauseSharingViolation = 11,
    kCauseLockViolation = 12,
    kCauseDiskFull = 13,
    kCauseEndOfFile = 14,
    // Causes the program's first platform had no code for.
    kCauseFileTooLarge = 15,  // beyond the size this process may make a file (ulimit -f)
    kCauseInUse = 16,         // a program being run, or an active swap area
    kCauseReplaced = 17,      // the entry at the name is no longer the one listed
    kCauseLast = kCauseReplaced,
};

// The words used in place of a file name when the failing operation names none.
extern const char* const kUnnamedFile;

// What a failure means beyond its cause, where the engine acts on it.
enum class EFileFault {
    None,
    Replaced,   // the entry at that name is no longer the one that was listed
    NameTaken,  // a rename found its new name already taken
    Link,       // a link that the system opens as what it leads to: any change would reach that
};

// One failure of the file layer. `m_strFileName` is the name that replaces "%1" in the
// message: the path as passed for an open, the full path for a write, kUnnamedFile otherwise.
struct CFileError {
    int m_nCause = kCauseNone;
    std::string m_strFileName = kUnnamedFile;
    int m_nOsError = 0;  // the system's own code, kept for diagnostics only
    EFileFault m_eFault = EFileFault::None;

    // The cause's message with "%1" replaced by m_strFileName, cut to 98 characters.
    std::string GetErrorMessage() const;
};

// The cause the system's own error code stands for (errno on POSIX systems, GetLastError's
// code on Windows).
int CauseFromSystemError(int nOsError);

// The message template of `nCause`; an unknown cause gives the generic template.
const char* FileCauseTemplate(int nCause);

// Formats the message of `nCause` naming `name`, cut to 98 characters as the log expects (a
// character of several UTF-8 bytes is never split).
std::string FormatFileError(int nCause, const std::string& name);

}  // namespace quorrel

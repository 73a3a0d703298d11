#include "platform/FileError.h"

namespace quorrel {

const char* const kUnnamedFile = "an unnamed file";

namespace {

// The error buffer of the log holds 100 characters; 98 of them carry the message.
constexpr std::size_t kMaxMessage = 98;

const char* const kTemplates[] = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
    "%1 would grow past the file size this program may write (a file size limit).",
    "%1 is in use as a running program or a swap area; it is never written.",
    "%1 was replaced by another entry; it was left alone.",
};

// The first `nMax` characters of `text`, UTF-8 sequences kept whole. Bytes that are not valid
// UTF-8 count as one character each.
std::string CutToCharacters(const std::string& text, std::size_t nMax) {
    std::size_t nCount = 0;
    std::size_t i = 0;
    while (i < text.size() && nCount < nMax) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t nLength = lead < 0xC0   ? 1
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF8 ? 4
                                            : 1;
        for (std::size_t k = 1; k < nLength; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                nLength = 1;  // not a whole sequence: the byte stands alone
                break;
            }
        }
        i += nLength;
        ++nCount;
    }
    return text.substr(0, i);
}

}  // namespace

const char* FileCauseTemplate(int nCause) {
    if (nCause < 0 || nCause > kCauseLast) {
        return kTemplates[kCauseGeneric];
    }
    return kTemplates[nCause];
}

std::string FormatFileError(int nCause, const std::string& name) {
    std::string text = FileCauseTemplate(nCause);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, name);
    }
    return CutToCharacters(text, kMaxMessage);
}

std::string CFileError::GetErrorMessage() const {
    return FormatFileError(m_nCause, m_strFileName);
}

}  // namespace quorrel

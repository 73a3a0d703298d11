// The catalogue's texts that are formed from numbers and errors.
#include "engine/log/LogLines.h"

#include <cstdio>

namespace quorrel {

std::string Quote(const std::string& prefix, const std::string& path, const CFileError& error) {
    return prefix + path + ": " + error.GetErrorMessage();
}

std::string FormatBytes(std::int64_t nBytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (nBytes < 1024) {
        return std::to_string(nBytes) + (nBytes == 1 ? " byte" : " bytes");
    }
    double value = static_cast<double>(nBytes) / 1024.0;
    std::size_t nUnit = 0;
    while (value >= 1024.0 && nUnit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++nUnit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[nUnit]);
    return text;
}

std::string JournalWhy(const CJournalFacts& journal) {
    switch (journal.m_eWhy) {
        case EJournalWhy::None:
            return {};
        case EJournalWhy::NeedsRoot:
            return "reading its size needs the right to read the device (run as root)";
        case EJournalWhy::DeviceNotOpened:
            return "its device could not be opened to read its size";
        case EJournalWhy::SuperblockUnread:
            return "its superblock could not be read";
        case EJournalWhy::FastCommits:
            return "its fast commits bypass the part a run can write over";
        case EJournalWhy::SizeNotRecorded:
            return "the superblock does not record its size";
        case EJournalWhy::GeometryUnread:
            return "its geometry could not be read";
        case EJournalWhy::FileSystemUnknown:
            return "its file system could not be told";
        case EJournalWhy::UnknownKind:
            return journal.m_strFileSystem + " is not one whose journal this program knows";
        case EJournalWhy::NotReadOnThisSystem:
            return "its size is not read on this system";
    }
    return {};
}

}  // namespace quorrel

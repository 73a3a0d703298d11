// The user's recycle bins, as the system keeps them: where they are, which folder of each holds
// the deleted entries, and how a bin is emptied. One interface; the freedesktop.org trash on
// Linux and the Windows bins (over injected facts) stand behind it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel {

// One bin, in the order the run visits them.
struct CBinLocation {
    // What emptying is asked for: a drive root on Windows, a trash folder on Linux.
    std::string m_strRoot;
    // Windows: the drive keeps a bin per user (NTFS), so the user's identity is needed.
    bool m_bPerUser = false;
};

// Whether the system's recycle-bin service can be reached for a run.
enum class EBinAccess {
    Ready,         // go on
    NoService,     // the service itself is missing: the command ends without a word
    NoEntryPoints  // the service lacks what the run needs: "* Could not access Recycle Bin APIs"
};

// What opening a bin's folder for a run came to.
enum class EBinOpen {
    Opened,
    Missing,     // no such folder: a bin never used
    Unreadable,  // there, but no real folder that can be opened (a link, a file)
    Changed,     // the bin's root is no longer what the scan found: never followed
};

class IRecycleBins {
public:
    virtual ~IRecycleBins() = default;

    // Reaches the service for one run; every Ready is followed by one Close.
    virtual EBinAccess Open() = 0;
    virtual void Close() = 0;
    // Finds the bins afresh, in the order they are processed. False when no bin location can
    // be determined at all.
    virtual bool Scan(std::vector<CBinLocation>& bins) = 0;
    // The folder whose entries are shredded, ending in a separator. False when the user's
    // identity cannot be read: the run then stops visiting bins.
    virtual bool BinFolder(const CBinLocation& bin, std::string& folder) = 0;
    // Opens the bin folder `folder` (as BinFolder named it) of `bin` for shredding. The
    // default opens the bin's root by its path (a drive's root) through `fs`, and every part
    // of the folder below it as a real folder of the one above, never through a link. Null
    // unless `state` says Opened.
    virtual std::unique_ptr<IFolder> OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                                   const std::string& folder, EBinOpen& state);
    // True for an entry of the bin folder that is the bin's own bookkeeping, left for emptying.
    virtual bool IsBookkeeping(const std::string& name) const = 0;
    // Empties the bin: every deleted entry and its bookkeeping go. False when the system
    // reports that it could not; true is the system's word only, which the run checks.
    virtual bool Empty(const CBinLocation& bin) = 0;
};

// The bins of the machine this program runs on (the freedesktop.org trash on Linux).
IRecycleBins& SystemRecycleBins();

}  // namespace quorrel

// Fillers: empty files (or short links) of the program's own, made exclusively under random
// names in a folder's unused entry space so that what lies there is written over with their
// names, and removed again. Shared by WIPE Free Space and the plain runs. Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/file/NameTraces.h"
#include "engine/log/RunLog.h"
#include "platform/FileSystem.h"

namespace quorrel {

// Fillers made in one folder at most: a folder whose size tells nothing ends there. Enough
// for the last 4 KiB block of a folder's entries; few, as each filler may take a new file
// record that the file system never gives back (NTFS's MFT does not shrink).
constexpr int kMaxFillers = 128;

// How the fillers of one folder are made.
struct CFillerPlan {
    std::vector<std::size_t> lengths;  // the fillers' name lengths, taken in turn
    std::size_t nNext = 0;             // the length the next filler takes (runs on between folders)
    int nMost = kMaxFillers;           // no more fillers than this
    // Ends once the folder outgrows the room it had (see Outgrown()); else only `nMost` and a
    // folder that takes no more end it.
    bool bUntilOutgrown = true;
    std::int64_t nLinkBytes = 0;  // short links with targets this long instead of empty files
};

// How a making of fillers ended.
enum class EFillerEnd {
    Done,     // the plan's end: outgrown or its count made
    Refused,  // a filler could not be made (the folder is full, or may not be written here)
    Stopped,  // the `stopped` check said so
};

// True when a folder that measured `start` before the fillers, `last` before the latest one
// and `now` after it has outgrown the room it had: it was given more or other space (a new
// block; xfs moving its entries out of its record), its entries moved (NTFS's index, whose
// size drops when its root is split), or a folder of whole blocks got longer.
bool Outgrown(const CFolderSize& start, const CFolderSize& last, const CFolderSize& now);

// Makes fillers in `folder` (called `path`) as `plan` says, each a new entry made exclusively
// with a random filler name from `drawer` (a name taken is skipped). Their names are added to
// `made`; a filler that made the folder outgrow its room is removed again at once. `stopped`
// is asked before the first filler and every 16th. Refused comes with the fault in `error`.
EFillerEnd MakeFillers(IFolder& folder, const std::string& path, CFillerPlan& plan,
                       CNameDrawer& drawer, const std::function<bool()>& stopped,
                       std::vector<std::string>& made, CFileError& error);

// Removes the fillers `made` from `folder`; each that stays gets its "* " line through `fail`.
// False when one stays.
bool RemoveFillers(IFolder& folder, const std::string& path, const std::vector<std::string>& made,
                   const std::function<void(const std::string&)>& fail);

// The names of `folder`'s entries that have a filler's shape (none where it cannot be listed).
std::set<std::string> FillerNamesIn(IFolder& folder);

// True when the entry `entry` is a filler a run of this user's left: a plain file with one name
// and a filler's name, check characters included.
bool IsLeftFiller(const CDirEntry& entry);

// Removes the fillers a killed run left in `folder` (called `path`), each with its line through
// `say`; a plain file whose name only looks like a filler's is a person's, left with a line
// through `say` that tells so. A filler that stays gets its "* " line through `fail`.
void RemoveLeftFillers(IFolder& folder, const std::string& path,
                       const std::function<void(const std::string&)>& say,
                       const std::function<void(const std::string&)>& fail);

// Lists `folder` (called `path`) again after RemoveFillers(): an entry with a filler's name
// that `before` (FillerNamesIn() before the fillers were made) did not hold stayed although its
// removal was told done. fusefat does that with an entry it put at the start of a folder's new
// cluster, and may show it under a name pieced together from several. Each gets its "* " line
// through `fail`. False when one stayed.
bool NoFillerStays(IFolder& folder, const std::string& path, const std::set<std::string>& before,
                   const std::function<void(const std::string&)>& fail);

}  // namespace quorrel

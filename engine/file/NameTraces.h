// What a shredded entry's name leaves behind, and the steps that keep it from staying: names of
// the program's own making that stand in for old ones, and the in-place renames a plain run
// makes where a file system keeps old names in the slots an entry had.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "platform/FileSystem.h"

namespace quorrel {

// Random names for entries the program makes to take the place of old ones. They are drawn from
// a generator of their own, so that the overwrite method's sequence is not disturbed by them.
class CNameDrawer {
public:
    CNameDrawer();
    // `nLength` random lowercase letters and digits.
    std::string Draw(std::size_t nLength);
    // A filler's name of `nLength` characters (at least kMinFillerLength): the fillers' prefix
    // and random letters and digits.
    std::string Filler(std::size_t nLength);

private:
    std::mt19937_64 m_generator;
};

// The names fillers have: this prefix, then random lowercase letters and digits, the last two
// of which follow from the others.
extern const char* const kFillerPrefix;
constexpr std::size_t kMinFillerLength = 20;
constexpr std::size_t kMaxFillerLength = 64;

// The filler's name whose random part is `body` (lowercase letters and digits): the prefix,
// `body` and its two check characters.
std::string FillerNameFor(const std::string& body);

// True when `name` is one a filler of this program's gets: its shape, and its check
// characters those of the rest. A name a person made rarely passes (one in 1,296).
bool IsFillerName(const std::string& name);

// True when `name` has a filler's shape (the prefix, then lowercase letters and digits),
// whether or not its check characters match: a look-alike, or a filler's name that a file
// system pieced together from several (fusefat).
bool LooksLikeFillerName(const std::string& name);

// How many UTF-16 units `name` (UTF-8) takes: what a file system storing UTF-16 names counts.
std::size_t NameUnits(const std::string& name);

// True where a file system keeps a renamed or deleted entry's old name in the slots the entry
// had until something else takes them (FAT): there a name is renamed in place first.
bool KeepsNamesInSlots(IFolder& folder);

// True where a file system keeps the names of deleted entries in the entry space the deletions
// free until new entries take it: FAT's slots, NTFS's index and freed file records (the
// kernel's drivers, and ntfs-3g on a disk, which shows as a FUSE mount of a block device).
// There a plain run refills a folder's entry space with fillers before it is left.
bool KeepsNamesInEntrySpace(IFolder& folder);

// Renames the entry `listed` of `folder` in place to a random name of as many characters, so
// that the slots its name had are written over with the new one (FAT). Gives the entry as it is
// named now; where the folder's file system needs no such step, or the rename fails, `listed`
// unchanged (the shredding goes on with the usual rename).
CDirEntry RenameInPlace(IFolder& folder, const CDirEntry& listed);

// The same for the sub-folder `name` of `parent` just before it is removed: gives the name it
// has now. Also where the system keeps a removed folder's own name in its freed file record
// (NTFS, which writes the new name there).
std::string RenameFolderInPlace(IFolder& parent, const std::string& name);

}  // namespace quorrel

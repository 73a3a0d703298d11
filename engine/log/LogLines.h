// Every text the program writes to its action log and asks its questions with, in one place.
//
// The program's own texts are kept exactly as they have always been, misspellings included
// ("Wipeing", "successfuly", "closeing"): users search their logs for them and scripts match
// them, so they are never corrected. Lines that report anything but success start with "* "
// and name the path; run banners and closing lines start with "- ".
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileError.h"
#include "platform/FileSystem.h"

namespace quorrel {

// The log line of a failed file operation: prefix, path, ": ", the error's text.
std::string Quote(const std::string& prefix, const std::string& path, const CFileError& error);

// `nBytes` for people: "512 bytes", "1.5 KiB", "52.0 MiB", ...
std::string FormatBytes(std::int64_t nBytes);

// Why the size of `journal` could not be read, in words; empty when no reason was given.
std::string JournalWhy(const CJournalFacts& journal);

// The question before the recycle-bin run: its opening, then one line per bin that holds
// something (its folder, then what it holds or that it cannot be read).
inline constexpr char kRecycleBinQuestion[] =
    "Are you sure that you want to permanently erase everything in the recycle bin ?\n"
    "Nothing of it can be restored afterwards.\n";
inline constexpr char kNoBinHoldsAnything[] = "\nNo recycle bin holds anything now.";
inline constexpr char kBinUnreadable[] = "cannot be read";

// The questions a list run and a folder run ask before any work.
inline constexpr char kWipeListQuestion[] =
    "Are you really sure that you want to permannetly erase these items ?";
inline constexpr char kWipeFolderQuestion[] =
    "Are you realy shour that you want to erase this folder ?";

}  // namespace quorrel

namespace quorrel::lines {

// The prefixes of a failed file operation's line: prefix, path, ": ", the error's text.
inline constexpr char kSetAttributeFailed[] = "* Error seting file attribute on file ";
inline constexpr char kOpenFailed[] = "* Error opening file ";
inline constexpr char kSeekFailed[] = "* Error seeking the file ";
inline constexpr char kWriteFailed[] = "* Error writing to file ";
inline constexpr char kCloseFailed[] = "* Error closeing the file ";
inline constexpr char kDeleteFailed[] = "* Error deleteing the file ";

// One file.
inline std::string WipeingFile(const std::string& path) {
    return "Wipeing file " + path;
}
inline std::string FileDeleted(const std::string& path) {
    return "File " + path + " successfuly deleted ";
}
inline std::string FileShreddedInBin(const std::string& path) {
    return "File " + path + " successfuly shreded frm recykle bin ";
}
inline std::string FileAborted(const std::string& path) {
    return "* Process is aborted deleteing file " + path +
           ". This file is probably corupt now and cant be used normaly.";
}

// Folders and list entries.
inline std::string WipeingFolder(const std::string& path) {
    return "Wipeing folder " + path;
}
inline std::string FolderRemoved(const std::string& path) {
    return "Folder " + path + " is removed";
}
inline std::string FolderNotRemoved(const std::string& path) {
    return "* Error removing folder " + path;
}
inline std::string RootRefused(const std::string& path) {
    return "* The root folder " + path + " is never shredded";
}
inline std::string NotAnObject(const std::string& path) {
    return path + " is not a file system objekt";
}
// A list entry gone because an earlier entry of the same run destroyed it (the same entry
// named again, or a folder that held it). Not a failure: what was named is gone.
inline std::string ShreddedEarlier(const std::string& path, const std::string& earlier) {
    return path + " is gone: " + earlier + " was shredded earlier in this run";
}
// A Windows path relative to a drive's own current folder ("E:notes.txt").
inline std::string DriveRelative(const std::string& path) {
    return "* " + path +
           " is relative to the current folder of its drive, which this program does not use; "
           "name it from the drive's root (" +
           path.substr(0, 2) + "\\...)";
}
// The window's log: its first line, and a folder chosen by Add Folder that is none.
inline constexpr char kLogBegin[] = "Log Begin...";
inline std::string ChosenFolderMissing(const std::string& path) {
    return "* " + NotAnObject(path);
}
inline std::string AlreadyInList(const std::string& path) {
    return "* File " + path + " alredy exist in the list and wont be added";
}

// Runs: banners, ends and times. `method` is the method's display name.
inline std::string ListBanner(const std::string& method) {
    return "- Deleteing files using: " + method + " algorithm.";
}
inline std::string FolderBanner(const std::string& folder, const std::string& method) {
    return "- Start deleteing files " + folder + " using: " + method + " algorithm.";
}
inline std::string FolderEnd(const std::string& folder) {
    return "- End deleting the folder " + folder;
}
inline std::string FolderFailed(const std::string& folder) {
    return "* Error deleting the folder " + folder;
}
inline std::string TimeLine(std::int64_t nSeconds) {
    return "- Time: " + std::to_string(nSeconds) + " seconds.";
}

// A list run stopped between two rows, where no file was in progress to report it.
inline constexpr char kListAborted[] =
    "* Process is aborted; the items not yet reached were left as they were";

// WIPE Recycle Bin.
inline constexpr char kBinStart[] = "- Start shredding recycle bin.";
inline constexpr char kBinAborted[] =
    "* Shredding recycle bin is aborted. Some files may be corupt when restored.";
inline constexpr char kBinNoEntryPoints[] = "* Could not access Recycle Bin APIs";
inline constexpr char kBinNoDriveInfo[] = "* Can't get drive info!";
inline std::string BinFolder(const std::string& path) {
    return "Shredding resycle bin folder " + path;
}
inline std::string BinFile(const std::string& path) {
    return "Shredding resycle bin file " + path;
}
inline std::string BinNoAccess(const std::string& folder) {
    return "* Error: Could not access " + folder;
}
// A bin whose folder is no longer the one the scan found (swapped, or made since).
inline std::string BinChanged(const std::string& root) {
    return "* " + root +
           " changed after the recycle bins were looked for; it was neither followed nor "
           "emptied";
}
// What the look at a bin after its emptying finds.
inline std::string BinNotEmptied(const std::string& folder) {
    return "* Error emptying the recycle bin " + folder + ": the system reports it failed";
}
inline std::string BinNotChecked(const std::string& folder, const std::string& reason) {
    return "* Error: the recycle bin " + folder +
           " could not be looked at after emptying: " + reason;
}
inline std::string BinEntryLeft(const std::string& path) {
    return "* " + path + " is still in the recycle bin after emptying";
}
inline std::string BinEntryGoneUnshredded(const std::string& path) {
    return "* " + path +
           " was removed from the recycle bin without being overwritten: its contents may "
           "remain on the disk";
}

// What the walk refuses and what may remain: the lines added since.

// A file with other names: its data belongs to them too.
inline std::string HardLinked(const std::string& path, std::uint64_t nLinks) {
    return "* File " + path + " has " + std::to_string(nLinks) +
           " names; its data belongs to the other names too, so it was left as it was";
}

// An entry on a kernel file system (proc, sysfs, ...): nothing there is a file to shred.
inline std::string PseudoFileSystem(const std::string& path, const std::string& type) {
    return "* " + path + " is on a " + type +
           " file system, which holds kernel settings, not files; nothing there is written";
}

// A mount point met by a walk: the walk stays on the file system it was given.
inline std::string MountPoint(const std::string& path) {
    return "* " + path + " is a mount point of another file system; the walk does not enter it";
}

// An entry that turned into another (a link, another file) between listing and opening.
inline std::string Replaced(const std::string& path) {
    return "* " + path + " was replaced while it was being shredded; it was left alone";
}

// "." and ".." name folders by their relation, not by a name of their own.
inline std::string DotName(const std::string& path) {
    return "* " + path + " names the current or the parent folder; it is never shredded";
}

// A folder given as a link: links are never followed.
inline std::string FolderLink(const std::string& path) {
    return "* " + path + " is a link, not a folder; links are never followed";
}

// A link the system opens as what it leads to (Wine's POSIX links): removing it would remove
// that instead, so it is not touched at all.
inline std::string LinkLeftAlone(const std::string& path) {
    return "* " + path +
           " is a link, and this system would act on what it leads to; links are never "
           "followed, so it was left alone";
}

// A folder whose entries cannot be listed.
// The reason of a folder whose listing does not fit in the memory the process may have.
constexpr const char* kListingTooLong =
    "its listing does not fit in the memory this process may have; it was left as it was";
inline std::string Unlistable(const std::string& path, const std::string& reason) {
    return "* Error listing folder " + path + ": " + reason;
}

// A folder of the walk that could not be reached again from below.
inline std::string LostWay(const std::string& path) {
    return "* Folder " + path + " moved while it was being shredded; the walk stops there";
}

// A file on a copy-on-write or log-structured file system.
inline std::string CopyOnWrite(const std::string& path, const std::string& type) {
    return "* File " + path + " is on " + type +
           ", which writes new data to new places: old copies of its contents may remain on "
           "the disk";
}

// A file that shares its data with another file (a reflinked copy).
inline std::string SharedData(const std::string& path) {
    return "* File " + path +
           " shares its data with another file: old copies of its contents may remain on the "
           "disk";
}

// A file on an overlay whose first copy lies in a lower layer, which this program never writes.
// `bOverwritten`: the copy in the upper layer is overwritten all the same; otherwise the file
// is only removed from the overlay, as opening it for writing would copy it up just for the
// passes to overwrite the copy.
inline std::string LowerLayer(const std::string& path, bool bOverwritten) {
    return "* File " + path + " is on an overlay: its first copy stays in the lower layer, " +
           (bOverwritten ? "which is never written; only the copy above it is overwritten"
                         : "which is never written; the file is removed without being "
                           "overwritten") +
           ": old copies of its contents may remain on the disk";
}

// The same where the overlay's layers cannot be seen from here.
inline std::string MaybeLowerLayer(const std::string& path) {
    return "* File " + path +
           " is on an overlay whose layers cannot be seen: its first copy may stay in a lower "
           "layer, which is never written: old copies of its contents may remain on the disk";
}

// A file whose data the file system writes to its journal as well.
inline std::string JournalCopy(const std::string& path, bool bInline) {
    return "* File " + path +
           (bInline ? " keeps its data inside its inode (inline data)"
                    : " is on a file system that journals file data (data=journal)") +
           ": copies of its contents in the journal may remain on the disk";
}

// A file whose length or identity changed during its passes.
inline std::string Changed(const std::string& path) {
    return "* File " + path +
           " changed while it was being shredded: part of it may remain on the disk";
}

// A file whose last pass did not read back as written.
inline std::string VerifyMismatch(const std::string& path, std::int64_t nOffset) {
    return "* File " + path + " did not read back as written at byte " + std::to_string(nOffset) +
           "; it was left in place";
}

// A file whose read-back came from the system's cache: a write that never reached the disk
// would pass it.
inline std::string VerifiedFromCache(const std::string& path) {
    return "* File " + path +
           " read back as written, but from the system's cache, not from the disk: this system "
           "offers no way to read a file held for shredding from the disk itself; had a write "
           "not reached it, old copies of its contents may remain on the disk";
}

// A file that could not be read back.
inline std::string VerifyError(const std::string& path, const std::string& reason) {
    return "* Error verifying file " + path + ": " + reason;
}

// A link or special file in a recycle bin: nothing to overwrite; the emptying removes it.
inline std::string NoDataInBin(const std::string& path) {
    return "File " + path +
           " is a link or special file with no data of its own; the emptying "
           "removes it";
}

// WIPE Free Space: the question, the run's banner and end, and what its fill reports. `top` is
// the top folder of the file system, `work` the run's own work folder in it.

// The question asked before a run: the file system, its type and its free space (for people).
inline std::string FreeSpaceQuestion(const std::string& top, const std::string& type,
                                     const std::string& free) {
    return "Are you sure that you want to wipe the free space of " + top + " (" + type + ", " +
           free +
           " free) ?\nThe disk will be full for a while: other programs may fail to write until "
           "the run ends.";
}

// The prefixes of a failed operation of the run's own: prefix, path, ": ", the error's text.
inline constexpr char kOpenFolderFailed[] = "* Error opening folder ";
inline constexpr char kSpaceUnreadable[] = "* Error reading the free space of ";
inline constexpr char kCreateFolderFailed[] = "* Error creating folder ";
inline constexpr char kCreateFileFailed[] = "* Error creating file ";

// The chosen folder, opened for the run, is not the one whose file system the question named
// (it was swapped for another since): nothing is written.
inline std::string NoLongerDescribed(const std::string& folder) {
    return "* " + folder +
           " changed after its file system was looked at for the question; nothing was written";
}

// A chosen folder on a file system mounted read-only: nothing is written.
inline std::string ReadOnly(const std::string& path) {
    return "* " + path + " is on a read-only file system; nothing there can be written";
}

inline std::string FreeSpaceBanner(const std::string& folder, const std::string& method) {
    return "- Start wiping free space of " + folder + " using: " + method + " algorithm.";
}
inline std::string FreeSpaceEnd(const std::string& top) {
    return "- End wiping free space of " + top;
}
inline std::string FreeSpaceFailed(const std::string& folder) {
    return "* Error wiping free space of " + folder;
}
// Written once the work folder is made, before the first file.
inline std::string WipeingFreeSpace(const std::string& work) {
    return "Wipeing free space in " + work;
}
// Cancel during the fill: everything made is removed all the same.
inline std::string FreeSpaceAborted(const std::string& top) {
    return "* Wiping free space of " + top +
           " is aborted; everything the run wrote was removed, but the free space was not all "
           "overwritten";
}

// A free space on a copy-on-write or log-structured file system.
inline std::string FreeSpaceCopyOnWrite(const std::string& top, const std::string& type) {
    return "* Free space of " + top + " is on " + type +
           ", which writes new data to new places: old copies of deleted files may remain on "
           "the disk";
}

// A file system that kept taking data (one that compresses it): the fill stops there.
inline std::string NeverFull(const std::string& top) {
    return "* " + top +
           " took more than twice its size without filling up (it may compress what it "
           "stores): what was deleted there may remain on the disk";
}

// An entry of the work folder's name that is not a work folder this user's run left.
inline std::string NotOurWorkFolder(const std::string& path) {
    return "* " + path + " is not a work folder this program left; it was left alone";
}
// A work folder of that name holding `name`, which no run makes.
inline std::string ForeignInWorkFolder(const std::string& path, const std::string& name) {
    return "* " + path + " holds " + name +
           ", which this program did not make; the folder was left alone";
}
// A work folder an earlier run left (a crash, a power cut), removed before the fill.
inline std::string LeftoverRemoved(const std::string& path) {
    return "Folder " + path + " left by an earlier run is removed";
}

// What the fill wrote, said before its work folder is removed. `written` is for people.
inline std::string FreeSpaceWritten(const std::string& written, int nBigFiles, int nSmallFiles) {
    return "Wrote " + written + " in " + std::to_string(nBigFiles) + " files and " +
           std::to_string(nSmallFiles) + " small files";
}

// Free space the fill could not reach, both amounts for people. `reserved` is the
// administrator's reserve when that is what stood in the way; empty when the file system
// keeps the space back for its own use.
inline std::string FreeSpaceUnreached(const std::string& unreached, const std::string& top,
                                      const std::string& reserved) {
    return "* " + unreached + " of the free space of " + top + " was not reached: " +
           (reserved.empty() ? "the file system keeps it back for its own use"
                             : reserved +
                                   " of it is reserved for the administrator (run as "
                                   "root to reach it)") +
           "; what was deleted there may remain on the disk";
}
// The reserve pool xfs keeps out of the free space it tells, when the fill reached the rest.
inline std::string XfsReserve(const std::string& top) {
    return "* xfs keeps up to 32 MiB of the free space of " + top +
           " back for its own use, out of reach of any file; what was deleted there may remain "
           "on the disk";
}

// WIPE Free Space's names step: old names in folders' unused entry space and in the journal.
inline std::string ClearingOldNames(const std::string& folder) {
    return "- Clearing old names in " + folder;
}
// A folder the run may not make entries in: the old names in its unused space stay.
inline std::string OldNamesStay(const std::string& folder, const std::string& error) {
    return "* Old names in " + folder + " could not be cleared: " + error;
}
// A filler a run that was stopped short left, removed at the next run's start.
inline std::string FillerLeftoverRemoved(const std::string& path) {
    return "File " + path + " left by an earlier run is removed";
}
// A file named like the fillers a run leaves, but not of a run's making: someone's own.
inline std::string FillerLookAlike(const std::string& path) {
    return "* File " + path +
           " is named like the files a run leaves behind, but no run made it; "
           "it was left as it was";
}
// Before freed file records are taken and written over; `nRecords` of them.
inline std::string ClearingFreedRecords(const std::string& top, std::int64_t nRecords) {
    return "- Clearing old names in " + std::to_string(nRecords) + " free file records of " + top;
}
inline std::string NoJournal(const std::string& top) {
    return top + " keeps no journal of names";
}
// Before the journal is written over; `size` is for people.
inline std::string ClearingJournal(const std::string& top, const std::string& size) {
    return "- Clearing old names in the journal of " + top + " (" + size + ")";
}
inline std::string JournalCleared(const std::string& top, std::int64_t nChanges,
                                  std::int64_t nSeconds) {
    return "Journal of " + top + " written over with " + std::to_string(nChanges) + " changes in " +
           std::to_string(nSeconds) + " seconds";
}
// A journal on a device of its own: a run reaches nothing there.
inline std::string JournalElsewhere(const std::string& top) {
    return "* The journal of " + top +
           " is on another device and could not be cleared: old names may remain in it";
}
// A journal whose size could not be read; `why` says what stood in the way.
inline std::string JournalUnknown(const std::string& top, const std::string& why) {
    return "* The journal of " + top + " could not be cleared" +
           (why.empty() ? std::string() : " (" + why + ")") + ": old names may remain in it";
}
inline std::string JournalHeadStuck(const std::string& top) {
    return JournalUnknown(top, "its head did not move");
}
// The drive under a volume: said once per volume by a run that shredded files there.

// A flash drive with no encryption layer above it. `command` names the drive's own command that
// reaches every cell ("nvme sanitize of nvme-cli", ...).
inline std::string FlashKeepsCopies(const std::string& top, const std::string& command) {
    return "* " + top +
           " is on a flash drive: the drive may keep earlier copies of what was shredded there "
           "in cells it has remapped, which no overwrite reaches; full-disk encryption, or the "
           "drive's own sanitize or secure-erase command (" +
           command + "), reaches them";
}
// The same under an encryption layer (`what`: "dm-crypt", "BitLocker", ...).
inline std::string FlashEncrypted(const std::string& top, const std::string& what) {
    return "- " + top + " is on a flash drive under an encryption layer (" + what +
           "): the earlier copies the drive may keep in cells it has remapped are encrypted";
}

// WIPE Free Space's TRIM, once the fill's files are removed. `size` is for people.
inline std::string TrimDone(const std::string& top, const std::string& size) {
    return "- The drive under " + top + " was told that " + size +
           " of its free space is free (TRIM)";
}
inline std::string TrimUnsupported(const std::string& top) {
    return "- The device under " + top +
           " does not take TRIM: its drive was not told which blocks are free";
}
// Not asked: `why` says why (only the administrator may; the system offers no way).
inline std::string TrimNotAsked(const std::string& top, const std::string& why) {
    return "- The drive under " + top + " was not told which blocks are free (TRIM): " + why;
}
inline std::string TrimFailed(const std::string& top, const std::string& why) {
    return "* Error telling the drive under " + top + " which blocks are free (TRIM): " + why +
           "; what was deleted there may remain on the drive";
}
inline constexpr char kTrimNeedsAdministrator[] =
    "only the administrator may ask for it (run as root)";

inline std::string NamesAborted(const std::string& top) {
    return "* Clearing old names on " + top +
           " is aborted; every file the run made was removed, but old names may remain";
}

}  // namespace quorrel::lines

// The lines the engine writes when it refuses an entry or cannot promise that a file's
// contents are gone. Each starts with "* " and names the path, as every line that reports
// anything but success does.
#pragma once

#include <cstdint>
#include <string>

namespace quorrel::lines {

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

// A folder whose entries cannot be listed.
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

// A file whose length or identity changed during its passes.
inline std::string Changed(const std::string& path) {
    return "* File " + path +
           " changed while it was being shredded: part of it may remain on the disk";
}

// A file whose last pass did not read back as written.
inline std::string VerifyMismatch(const std::string& path, std::int64_t nOffset) {
    return "* File " + path + " did not read back as written at byte " +
           std::to_string(nOffset) + "; it was left in place";
}

// A file that could not be read back.
inline std::string VerifyError(const std::string& path, const std::string& reason) {
    return "* Error verifying file " + path + ": " + reason;
}

// A link or special file in a recycle bin: nothing to overwrite; the emptying removes it.
inline std::string NoDataInBin(const std::string& path) {
    return "File " + path + " is a link or special file with no data of its own; the emptying "
           "removes it";
}

}  // namespace quorrel::lines

// Where the POSIX file systems keep copies of a file's data that overwriting the file in place
// cannot reach: an overlay's lower layers, the ext3/ext4 journal. Internal to platform/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel::posix {

// One line of /proc/self/mountinfo, as far as the layers and the journal care.
struct CMountRecord {
    std::string m_strRoot;        // the folder of the file system mounted here ("/" mostly)
    std::string m_strMountPoint;  // where it is mounted
    std::string m_strType;
    std::string m_strSource;                  // what is mounted (a device, an image, a name)
    std::vector<std::string> m_superOptions;  // octal escapes decoded
};

// Reads one line of the mountinfo form; false for a line that is not one.
bool ParseMountInfoLine(const std::string& line, std::uint64_t& nId, CMountRecord& record);

// The mount `nMount` as the mount table gives it; read again when it is not known yet.
bool MountRecord(std::uint64_t nMount, CMountRecord& record);

// The lower layers (topmost first, data-only layers last) and the upper layer an overlay was
// mounted with, from its super options; the upper is empty for an overlay without one.
void OverlayLayers(const std::vector<std::string>& superOptions, std::vector<std::string>& lowers,
                   std::string& upper);

// Where the data of the entry `name` of the open overlay folder `dirFd` lies besides the
// overlay: in a lower layer only, in the upper one with its first copy below, or (when the
// layers cannot be seen from here) perhaps below. Never opens the entry for writing.
EKeptCopy LayerCopyOf(int dirFd, const std::string& name);

// Writes the open folder `dirFd` to the medium, and on ext4 has the journal written out to the
// blocks it stands for (checkpointed), so that the folder's own blocks are overwritten in place
// now. Writing the journal out needs the administrator; without it, false.
bool SettleFolderInPlace(int dirFd);

// Whether the open file `fd` has its data written to the journal: a mount with data=journal,
// a file marked for data journaling, or data kept inside the inode.
EKeptCopy KeptCopyOf(int fd);

}  // namespace quorrel::posix

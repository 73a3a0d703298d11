// What the POSIX backend knows of a file system's journal and of a folder's own blocks: how big
// the journal is, where its head is, and how a folder's deletions reach the folder's blocks.
// Internal to platform/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace quorrel::posix {

// The journal of the file system the open folder `dirFd` lives on: ext3/ext4 from the
// superblock (read from the device, which needs the right to read it), xfs from its geometry;
// none for file systems that keep no journal of names.
CJournalFacts JournalOf(int dirFd);

// How far the journal's head has moved since the mount, in bytes (xfs tells it in sysfs).
bool JournalHeadOf(int dirFd, std::int64_t& nBytes);

// The inodes xfs has made and holds free (its free-space counts), and the bytes of an inode a
// short link's target fills; false elsewhere.
bool FreeRecordsOf(int dirFd, std::int64_t& nRecords, std::int64_t& nInlineBytes);

// Creates the symbolic link `name` to `target` in `dirFd`.
bool CreateLinkIn(int dirFd, const std::string& name, const std::string& target, CFileError& error);

// The open folder `dirFd` flushed (fsync of the folder itself).
bool FlushFolder(int dirFd, CFileError& error);

// On ext3/ext4, writes the file system out (syncfs), which takes the emptied folder's blocks
// with their deletions to where they belong before the folder's removal frees them.
bool WriteOutFolderDeletions(int dirFd);

// The folder's size and allocated bytes (fstat).
bool FolderSizeOf(int dirFd, CFolderSize& size);

}  // namespace quorrel::posix

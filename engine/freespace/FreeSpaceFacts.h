// What WIPE Free Space knows of a file system before its run, and the names its work takes.
// Internal to the engine; FreeSpaceRun.h passes it on to the front ends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace quorrel {

// The hidden folder a run works in, at the top of the file system (or, where the top may not
// be written, in the chosen folder). One left by a crash is removed by the next run.
extern const char* const kFreeSpaceWorkFolder;

// What the question before a run names.
struct CFreeSpaceFacts {
    std::string strTop;           // the top folder of the file system
    std::string strType;          // the file system's name
    std::int64_t nFreeBytes = 0;  // the free space this run can reach
    CFileId folderId;             // the chosen folder as it was looked at
};

// The free space a run can reach: the reserve too when this process may write it.
inline std::int64_t Reachable(const CVolumeSpace& space) {
    return space.m_bMayUseReserve ? space.m_nFreeBytes : space.m_nAvailableBytes;
}

// True when `name` is one the run gives its files ("fill-" or "tail-" and six digits or more).
bool IsFillName(const std::string& name);

}  // namespace quorrel

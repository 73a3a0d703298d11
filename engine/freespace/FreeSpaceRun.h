// WIPE Free Space: what was deleted before lies in the free space of its file system; the run
// fills that free space with the method's passes and then removes what it wrote.
#pragma once

#include <cstdint>
#include <string>

#include "engine/freespace/FreeSpaceFacts.h"
#include "engine/runs/WipeEngine.h"

namespace quorrel {

// Looks at the file system that holds `folder`. False, with the failure line in `line`, when
// its free space cannot be wiped (no such folder, a kernel or read-only file system).
bool DescribeFreeSpace(IFileSystem& fileSystem, const std::string& folder, CFreeSpaceFacts& facts,
                       std::string& line);

// The question asked before a run: it names the file system and its free space, and says the
// disk will be full for a while.
std::string FreeSpaceQuestion(const CFreeSpaceFacts& facts);

// Wipes the free space of the file system that holds `folder` as one run: removes a work
// folder an earlier run left, fills a new one with files written with every pass of the
// current method (each pass flushed) until the file system is full, then with small files for
// the last partial blocks and file records, and removes everything it made, also on Cancel
// or failure. Never writes outside its work folder and never opens an existing file. Ask the
// question first. True when the free space was filled and everything made was removed.
bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder);

// The same run where DescribeFreeSpace of `folder` gave `facts` for the question: the run does
// not look at the file system again. The fill still opens `folder` by handle, and refuses (with
// its line) a folder that is no longer the one described or is now read-only.
bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder, const CFreeSpaceFacts& facts);

}  // namespace quorrel

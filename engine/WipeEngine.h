// The shredding engine: one file, one folder tree, one list entry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CrtRandom.h"
#include "FileSystem.h"
#include "RunHost.h"

namespace quorrel {

// The engine a window (or the terminal) keeps for its whole life: it owns the generator, whose
// sequence runs on from one file to the next, and the current overwrite method.
class CWipeEngine {
public:
    // Bytes written per write call. Passes are written in chunks of this size with the same
    // byte sequence a byte-by-byte write would give.
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    // Bytes written between two flushes inside a pass, so that no single flush keeps the
    // window from repainting for long.
    static constexpr std::int64_t kFlushSliceBytes = 8 * 1024 * 1024;
    // Bytes cut per step of the truncation: freeing a large file's blocks in one call can keep
    // the window from painting for a noticeable fraction of a second.
    static constexpr std::int64_t kTruncateStepBytes = 64 * 1024 * 1024;

    CWipeEngine(IFileSystem& fileSystem, IRunHost& host);

    // The overwrite method every later file is shredded with (any value; see WipeMethod.h).
    void SetWipeMethod(int nMethod) { m_nWipeMethod = nMethod; }
    int GetWipeMethod() const { return m_nWipeMethod; }
    // The clock (whole seconds since 1970) used to reseed the random method and time runs.
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    std::int64_t Now() const { return m_clock(); }
    CCrtRandom& Random() { return m_random; }
    IRunHost& Host() { return m_host; }
    IFileSystem& Files() { return m_fs; }
    // How many failure lines ("* ...") the engine has written since it was made.
    int FailureCount() const { return m_nFailures; }

    // Destroys one file: overwrites it with every pass of the method, then (normal mode)
    // truncates it, renames it to a random name in its own folder and deletes it. In
    // recycle-bin mode the file is only overwritten. Links and special files hold no data:
    // normal mode removes the entry, recycle-bin mode leaves it. Writes its own log lines;
    // true when the file was destroyed (or, in recycle-bin mode, overwritten).
    bool WipeFile(const std::string& path, bool bRecycleBin);

    // Shreds a folder tree depth first; normal mode removes each folder once emptied. Never
    // walks the file system's root and never follows a link out of the tree. False when the
    // folder cannot be listed or the run was aborted; true otherwise.
    bool WipeFolder(const std::string& path, bool bRecycleBin);

    // Shreds one list entry as the file system sees it now: a folder (in recycle-bin mode when
    // it carries the system attribute) or a file. False when it is gone or was not destroyed.
    bool WipeListItem(const std::string& path);

    // Appends a failure line to the log and counts it.
    void Fail(const std::string& line);

private:
    bool PrepareNormalMode(const std::string& path, bool& bPlainFile);
    bool RenameAndDelete(const std::string& path);
    bool OverwriteFile(IFileHandle& file, const std::string& path, std::int64_t nLength);
    bool WritePass(IFileHandle& file, std::int64_t nLength, int nPass, CFileError& error);
    void FillChunk(std::vector<std::uint8_t>& chunk, std::size_t nBytes, std::uint8_t nByte);
    bool FinishFile(std::unique_ptr<IFileHandle> file, const std::string& path,
                    std::int64_t nLength, bool bRecycleBin);
    bool TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error);
    std::string RandomName();
    void WalkEntries(const std::string& path, const std::vector<CDirEntry>& entries,
                     bool bRecycleBin);
    void RemoveFolder(const std::string& path);
    void ClearReadOnly(const std::string& path);

    IFileSystem& m_fs;
    IRunHost& m_host;
    CCrtRandom m_random;
    int m_nWipeMethod = 0;
    int m_nFailures = 0;
    std::function<std::int64_t()> m_clock;
};

}  // namespace quorrel

// Shredding one file entry: refusals, the overwrite passes, truncation, random name, deletion.
// Internal to the engine.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file/PassWriter.h"
#include "engine/log/RunLog.h"
#include "platform/FileSystem.h"

namespace quorrel {

// How an entry is shredded: normal mode destroys it (overwrite, truncate, random name,
// delete); recycle-bin mode only overwrites it in place, for the bin's own emptying to remove.
enum class EWipeMode { Normal, RecycleBin };

struct CFileRun;

// Shreds file entries one at a time, writing their lines to a log and their passes with a
// writer; several shredders, each with its own log and writer, may work side by side.
class CFileShredder {
public:
    // Bytes cut per step of the truncation: freeing a large file's blocks in one call can keep
    // the window from painting for a noticeable fraction of a second.
    static constexpr std::int64_t kTruncateStepBytes = 64 * 1024 * 1024;
    // Random names tried before a rename gives up: a name already taken is skipped.
    static constexpr int kRandomNameTries = 16;

    CFileShredder(CRunLog& log, CPassWriter& writer, bool bVerify)
        : m_log(log), m_host(log.Host()), m_writer(writer), m_bVerify(bVerify) {}

    // Shreds the file entry `entry` of `folder`, called `path` in the log: overwrites it with
    // every pass of the method, then (normal mode) truncates it, renames it to a random name
    // in its own folder and deletes it; recycle-bin mode only overwrites it. Links and special
    // files hold no data: normal mode removes the entry, recycle-bin mode leaves it. Refusals
    // come before any change. `bWalked`: a walk found it, and makes a read-only file writable
    // in either mode (given back when the file is not finished).
    EWipeOutcome Shred(IFolder& folder, const CDirEntry& entry, const std::string& path,
                       EWipeMode mode, bool bWalked);

private:
    // What a look at a file of two names found.
    enum class ELeftName {
        None,          // not a killed run's: the file's other name is data of others
        OtherRemoved,  // the random name a killed run left beside it is removed
        ThisRemoved,   // it was the random name itself, now removed
        Gone,          // the random name, removed already with the other name
    };

    ELeftName ClearKilledRunsName(IFolder& folder, const CDirEntry& entry);
    EWipeOutcome WipeAccepted(IFolder& folder, const CDirEntry& entry, const std::string& path,
                              EWipeMode mode);
    EWipeOutcome OverwriteAndFinish(IFolder& folder, const CDirEntry& entry,
                                    const std::string& path, EWipeMode mode);
    bool Refuse(IFolder& folder, const CDirEntry& entry, const std::string& path);
    bool PrepareNormalMode(IFolder& folder, const CDirEntry& entry, const std::string& path);
    EWipeOutcome RenameAndDelete(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                 bool bChanged);
    EWipeOutcome LeaveInLowerLayer(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                   EWipeMode mode);
    void WarnAboutCopies(CFileRun& run);
    bool OverwriteFile(CFileRun& run);
    bool WritePass(CFileRun& run, int nPass);
    bool CheckUnchanged(CFileRun& run);
    bool GainedOtherNames(CFileRun& run);
    bool VerifyLastPass(CFileRun& run);
    EWipeOutcome FinishFile(CFileRun& run, EWipeMode mode);
    bool TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error);
    std::string RandomName();

    CRunLog& m_log;
    IRunHost& m_host;
    CPassWriter& m_writer;
    bool m_bVerify;
};

}  // namespace quorrel

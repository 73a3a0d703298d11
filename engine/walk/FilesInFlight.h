// Shredding several files of a folder at once, so that the waits for their flushes overlap,
// with the log as one file at a time would write it. Internal to the engine.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/file/PassWriter.h"
#include "engine/log/RunLog.h"
#include "engine/walk/FolderWalk.h"
#include "platform/WorkerThread.h"

namespace quorrel {

// A file sink with up to `nFiles` files in flight, each shredded by a worker thread of its
// own with its own generator (seeded from the run's) and its steps in their order. Only the
// calling thread talks to the host: a file's lines and progress are passed on while it is the
// oldest file not yet done, and held until then otherwise, so the log keeps the files in the
// order they were handed over, each one's lines together. The host's abort is polled while
// the caller waits, and every file in flight stops at its next chunk. A worker that cannot be
// started, or memory a worker cannot have, lowers the number in flight (down to one file at a
// time on the calling thread); the run goes on.
class CFilesInFlight : public IFileSink {
public:
    // How often the caller looks at the host while it waits: the abort is passed on, and the
    // window painted, at least this often.
    static constexpr int kPollMilliseconds = 20;
    // A file that takes this long is waiting for its device: a file of a few KiB takes tens of
    // microseconds where flushes cost nothing (tmpfs, a disk behind a host's cache), and
    // milliseconds on a stick, a card or a hard disk.
    static constexpr int kWaitingFileMicroseconds = 300;
    // Files in a row that waited before a sink that overlaps only when files wait begins to.
    static constexpr int kWaitingFilesToOverlap = 4;
    // A worker's stack: a file's steps go a few calls deep and keep their buffers on the
    // heap, so a small fraction of the system's default (8 MiB) lets many start under an
    // address-space limit.
    static constexpr std::size_t kWorkerStackBytes = 256 * 1024;
    // Files handed over per file in flight: those beyond the files in flight wait for the next
    // free worker. So the workers go on while the caller is busy elsewhere (a window painting
    // itself for a few ms, which files of a few KiB on a disk outlast many times over) instead
    // of waiting for it to hand over the next file.
    static constexpr std::size_t kHandedOverPerFileInFlight = 8;

    // `bOnlyWhenFilesWait`: the files are shredded one at a time on the calling thread, as
    // without the sink, until kWaitingFilesToOverlap in a row have waited for their device;
    // where flushes cost nothing, handing files to other threads only costs time.
    CFilesInFlight(CRunLog& log, CPassWriter& writer, bool bVerify, int nFiles,
                   bool bOnlyWhenFilesWait);
    // Waits for every file handed over, then lets the workers go.
    ~CFilesInFlight() override;
    CFilesInFlight(const CFilesInFlight&) = delete;
    CFilesInFlight& operator=(const CFilesInFlight&) = delete;

    // Hands the file over once fewer than kHandedOverPerFileInFlight times `nFiles` are
    // handed over and not yet passed on, waiting till then; at most `nFiles` are in flight.
    void ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                   EWipeMode mode) override;
    void Drain() override;
    // Shreds a file the list named, in normal mode, in `folder`, which is kept until the file
    // is done (the list's next entries may share it); `then` is told the outcome on the calling
    // thread (from this call or a later one), in the order the files were handed over. A file
    // the user's abort kept from beginning is left as it is and not told, as a list run one
    // file at a time would not have reached it.
    void ShredListed(std::shared_ptr<IFolder> folder, const CDirEntry& entry,
                     const std::string& path, std::function<void(EWipeOutcome)> then);
    // True when the file `id` is in flight: it is not handed over twice.
    bool IsInFlight(const CFileId& id);

private:
    struct CEvent;
    struct CJob;
    class CJobHost;

    void Shred(std::unique_ptr<CJob> job);
    void ShredHere(CJob& job);
    bool WorkerReady();
    void ShredLeftBehind(CJob& job);
    void WaitUntilInFlightBelow(std::size_t nLimit);
    void PassOn();
    void Work();

    CRunLog& m_log;
    IRunHost& m_host;
    CPassWriter& m_writer;
    bool m_bVerify;
    std::size_t m_nFiles;
    bool m_bOverlap;          // files are handed to the workers
    int m_nWaitingFiles = 0;  // files in a row shredded here that waited for their device
    std::mutex m_lock;        // guards everything below but the abort flag
    std::condition_variable m_workReady;
    std::condition_variable m_jobDone;
    std::deque<CJob*> m_waiting;                // handed over, not yet taken by a worker
    std::deque<std::unique_ptr<CJob>> m_order;  // every job not yet passed on, oldest first
    std::vector<std::unique_ptr<CWorkerThread>> m_workers;
    bool m_bClosing = false;
    std::atomic<bool> m_bAborted{false};
};

}  // namespace quorrel

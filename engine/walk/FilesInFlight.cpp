// Several files in flight, one worker thread each, their lines passed on in order.
#include "engine/walk/FilesInFlight.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <new>

#include "engine/file/FileShredder.h"

namespace quorrel {

// One call a file's shredding made of its host, kept until it is passed on.
struct CFilesInFlight::CEvent {
    enum class EKind { Line, PassStart, Range, Pos, Step };
    EKind kind;
    std::string text;
    std::int64_t nValue = 0;
    int nPass = 0;
    int nPasses = 0;
};

// One file handed over: what to shred, with what, and what it said so far.
struct CFilesInFlight::CJob {
    IFolder* pFolder = nullptr;
    CDirEntry entry;
    std::string path;
    EWipeMode mode = EWipeMode::Normal;
    bool bWalked = false;                    // a walk found it (else the list named it)
    std::shared_ptr<IFolder> ownedFolder;    // a list entry's folder, kept while it is shredded
    std::function<void(EWipeOutcome)> then;  // told the outcome, on the caller's thread
    EWipeOutcome outcome = EWipeOutcome::NotBegun;  // the user aborted before a worker took it
    bool bOutOfMemory = false;  // a worker could not have the memory to shred it
    int nMethod = 0;
    std::uint32_t nSeed = 0;
    std::int64_t nTime = 0;  // the clock as it was handed over, to seed the random method
    std::vector<CEvent> events;
    std::size_t nPassedOn = 0;  // events already given to the host
    bool bDone = false;
    std::unique_ptr<CJobHost> host;
    std::unique_ptr<CRunLog> log;
};

// The host a worker's file talks to: keeps its calls for the caller's thread to pass on, and
// answers the abort check from the flag that thread sets.
class CFilesInFlight::CJobHost : public IRunHost {
public:
    CJobHost(CFilesInFlight& owner, CJob& job) : m_owner(owner), m_job(job) {}

    void AddLine(const std::string& line) override {
        Keep(CEvent{CEvent::EKind::Line, line, 0, 0, 0});
    }
    bool IsAborted() override { return m_owner.m_bAborted.load(); }
    void SetProgressRange(std::int64_t nUpper) override {
        Keep(CEvent{CEvent::EKind::Range, {}, nUpper, 0, 0});
    }
    void SetProgressPos(std::int64_t nPos) override {
        Keep(CEvent{CEvent::EKind::Pos, {}, nPos, 0, 0});
    }
    void StepProgress(std::int64_t nBytes) override {
        std::lock_guard<std::mutex> guard(m_owner.m_lock);
        std::vector<CEvent>& events = m_job.events;
        if (events.size() > m_job.nPassedOn && events.back().kind == CEvent::EKind::Step) {
            events.back().nValue += nBytes;  // steps not yet passed on go as one
        } else {
            events.push_back(CEvent{CEvent::EKind::Step, {}, nBytes, 0, 0});
        }
    }
    void OnPassStart(const std::string& path, int nPass, int nPasses) override {
        Keep(CEvent{CEvent::EKind::PassStart, path, 0, nPass, nPasses});
    }

private:
    void Keep(CEvent event) {
        std::lock_guard<std::mutex> guard(m_owner.m_lock);
        m_job.events.push_back(std::move(event));
    }

    CFilesInFlight& m_owner;
    CJob& m_job;
};

CFilesInFlight::CFilesInFlight(CRunLog& log, CPassWriter& writer, bool bVerify, int nFiles,
                               bool bOnlyWhenFilesWait)
    : m_log(log),
      m_host(log.Host()),
      m_writer(writer),
      m_bVerify(bVerify),
      m_nFiles(static_cast<std::size_t>(nFiles < 1 ? 1 : nFiles)),
      m_bOverlap(!bOnlyWhenFilesWait && nFiles > 1) {
    m_workers.reserve(m_nFiles);
}

CFilesInFlight::~CFilesInFlight() {
    Drain();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bClosing = true;
    }
    m_workReady.notify_all();
    m_workers.clear();  // each waits for its thread
}

void CFilesInFlight::ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                               EWipeMode mode) {
    auto job = std::make_unique<CJob>();
    job->pFolder = &folder;
    job->entry = entry;
    job->path = path;
    job->mode = mode;
    job->bWalked = true;
    Shred(std::move(job));
}

void CFilesInFlight::ShredListed(std::shared_ptr<IFolder> folder, const CDirEntry& entry,
                                 const std::string& path, std::function<void(EWipeOutcome)> then) {
    auto job = std::make_unique<CJob>();
    job->pFolder = folder.get();
    job->ownedFolder = std::move(folder);
    job->entry = entry;
    job->path = path;
    job->then = std::move(then);
    Shred(std::move(job));
}

bool CFilesInFlight::IsInFlight(const CFileId& id) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (const std::unique_ptr<CJob>& job : m_order) {
        if (job->entry.m_id == id) {
            return true;
        }
    }
    return false;
}

// Hands the job over to the workers once there is room (a worker is made as needed, up to one
// per file in flight), or, while files are not overlapped (or no worker could be started),
// shreds it here.
void CFilesInFlight::Shred(std::unique_ptr<CJob> job) {
    if (m_bOverlap) {
        WaitUntilInFlightBelow(m_nFiles * kHandedOverPerFileInFlight);
        if (!WorkerReady()) {
            WaitUntilInFlightBelow(m_nFiles * kHandedOverPerFileInFlight);
        }
    }
    if (!m_bOverlap) {
        ShredHere(*job);
        return;
    }
    job->nMethod = m_writer.GetWipeMethod();
    job->nSeed = m_writer.DrawSeed();
    job->nTime = m_writer.Now();
    job->host = std::make_unique<CJobHost>(*this, *job);
    job->log = std::make_unique<CRunLog>(*job->host);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_waiting.push_back(job.get());
        m_order.push_back(std::move(job));
    }
    m_workReady.notify_one();
    PassOn();
}

// True when a worker will take one more file handed over: a worker per file in flight, made
// as needed. When the system gives no more threads, the files in flight are capped at the
// workers there are (false); with none at all, files are shredded here from now on.
bool CFilesInFlight::WorkerReady() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_workers.size() >= std::min(m_order.size() + 1, m_nFiles)) {
            return true;
        }
    }
    std::unique_ptr<CWorkerThread> worker =
        CWorkerThread::Start([this] { Work(); }, kWorkerStackBytes);
    if (worker) {
        m_workers.push_back(std::move(worker));  // reserved: does not allocate
        return true;
    }
    m_nFiles = m_workers.empty() ? 1 : m_workers.size();
    m_bOverlap = !m_workers.empty();
    return false;
}

// Shreds the file on this thread, with the run's own log and generator, as a walk or a list
// run without the sink would, and notes whether it waited for its device.
void CFilesInFlight::ShredHere(CJob& job) {
    const auto start = std::chrono::steady_clock::now();
    CFileShredder shredder(m_log, m_writer, m_bVerify);
    const EWipeOutcome outcome =
        shredder.Shred(*job.pFolder, job.entry, job.path, job.mode, job.bWalked);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // In a row: a busy processor makes a file now and then late without any device waiting.
    if (elapsed < std::chrono::microseconds(kWaitingFileMicroseconds)) {
        m_nWaitingFiles = 0;
    } else if (++m_nWaitingFiles >= kWaitingFilesToOverlap) {
        m_bOverlap = m_nFiles > 1;
    }
    if (job.then) {
        job.then(outcome);
    }
}

void CFilesInFlight::Drain() {
    WaitUntilInFlightBelow(1);
}

// Passes on what the files said and the user's abort until fewer than `nLimit` files are in
// flight, looking at least every kPollMilliseconds.
void CFilesInFlight::WaitUntilInFlightBelow(std::size_t nLimit) {
    for (;;) {
        PassOn();
        if (m_host.IsAborted()) {
            m_bAborted = true;
        }
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_order.size() < nLimit) {
            return;
        }
        CJob* pFront = m_order.front().get();
        const std::size_t nEvents = pFront->events.size();
        m_jobDone.wait_for(lock, std::chrono::milliseconds(kPollMilliseconds),
                           [&] { return pFront->bDone || pFront->events.size() != nEvents; });
    }
}

// Gives the host what the oldest file said since last time; a file that is done leaves, with
// its counts, the host's abort is looked at, and the next file is looked at.
void CFilesInFlight::PassOn() {
    for (;;) {
        std::vector<CEvent> events;
        std::unique_ptr<CJob> done;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_order.empty()) {
                return;
            }
            CJob& front = *m_order.front();
            events.assign(std::make_move_iterator(front.events.begin() +
                                                  static_cast<std::ptrdiff_t>(front.nPassedOn)),
                          std::make_move_iterator(front.events.end()));
            front.nPassedOn = front.events.size();
            if (front.bDone) {
                done = std::move(m_order.front());
                m_order.pop_front();
            }
        }
        for (const CEvent& event : events) {
            switch (event.kind) {
                case CEvent::EKind::Line:
                    m_host.AddLine(event.text);
                    break;
                case CEvent::EKind::PassStart:
                    m_host.OnPassStart(event.text, event.nPass, event.nPasses);
                    break;
                case CEvent::EKind::Range:
                    m_host.SetProgressRange(event.nValue);
                    break;
                case CEvent::EKind::Pos:
                    m_host.SetProgressPos(event.nValue);
                    break;
                case CEvent::EKind::Step:
                    m_host.StepProgress(event.nValue);
                    break;
            }
        }
        if (!done) {
            return;
        }
        m_log.Absorb(*done->log);
        if (done->bOutOfMemory) {
            ShredLeftBehind(*done);
        }
        if (done->then) {
            done->then(done->outcome);
        }
        // Between two files, as a walk of one file at a time would: the window shows what is
        // new, and a Cancel reaches the files still in flight.
        if (m_host.IsAborted()) {
            m_bAborted = true;
        }
    }
}

// A file a worker could not have the memory for: fewer files go in flight from now on, and
// this one is shredded here, where the run's own buffers are already had. Whatever the worker
// did to it before (its lines say) stays done: the file is found again by its entry.
void CFilesInFlight::ShredLeftBehind(CJob& job) {
    m_nFiles = m_nFiles > 1 ? m_nFiles - 1 : 1;
    job.bOutOfMemory = false;
    CFileShredder shredder(m_log, m_writer, m_bVerify);
    job.outcome = shredder.Shred(*job.pFolder, job.entry, job.path, job.mode, job.bWalked);
}

// A worker: takes files in the order they were handed over and shreds each with a writer of
// its own. A file not yet begun when the user aborted is left as it is, unmentioned, as the
// walk would not have reached it.
void CFilesInFlight::Work() {
    CPassWriter writer;
    for (;;) {
        CJob* pJob = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_workReady.wait(lock, [this] { return m_bClosing || !m_waiting.empty(); });
            if (m_waiting.empty()) {
                return;
            }
            pJob = m_waiting.front();
            m_waiting.pop_front();
        }
        if (!m_bAborted.load()) {
            writer.SetWipeMethod(pJob->nMethod);
            const std::int64_t nTime = pJob->nTime;
            writer.SetClock([nTime] { return nTime; });
            writer.Random().Seed(pJob->nSeed);
            try {
                CFileShredder shredder(*pJob->log, writer, m_bVerify);
                pJob->outcome = shredder.Shred(*pJob->pFolder, pJob->entry, pJob->path, pJob->mode,
                                               pJob->bWalked);
            } catch (const std::bad_alloc&) {
                pJob->bOutOfMemory = true;  // the caller's thread takes it over
            }
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            pJob->bDone = true;
        }
        m_jobDone.notify_all();
    }
}

}  // namespace quorrel

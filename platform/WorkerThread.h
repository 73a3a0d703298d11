// A thread of this process started with a stack of a given size. std::thread takes the
// system's default stack (8 MiB on Linux), which under an address-space limit lets only a few
// threads start.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace quorrel {

class CWorkerThread {
public:
    // Runs `work` on a new thread whose stack is `nStackBytes` (at least the system's
    // minimum). Null when the system cannot give a thread now (no memory for its stack, a
    // thread or process limit): the caller goes on with the threads it has.
    static std::unique_ptr<CWorkerThread> Start(std::function<void()> work,
                                                std::size_t nStackBytes);
    // Waits for the thread to end.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    struct CState;  // the system's thread and the work it runs

private:
    explicit CWorkerThread(std::unique_ptr<CState> state);

    std::unique_ptr<CState> m_state;
};

}  // namespace quorrel

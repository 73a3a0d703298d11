// Threads with a stack of their own size (pthread attributes).
#include <limits.h>
#include <pthread.h>

#include <algorithm>
#include <new>

#include "platform/WorkerThread.h"

namespace quorrel {

struct CWorkerThread::CState {
    std::function<void()> work;
    pthread_t thread{};
    bool bRunning = false;
};

namespace {

void* RunWork(void* pState) {
    static_cast<CWorkerThread::CState*>(pState)->work();
    return nullptr;
}

}  // namespace

CWorkerThread::CWorkerThread(std::unique_ptr<CState> state) : m_state(std::move(state)) {}

std::unique_ptr<CWorkerThread> CWorkerThread::Start(std::function<void()> work,
                                                    std::size_t nStackBytes) {
    auto state = std::unique_ptr<CState>(new (std::nothrow) CState{std::move(work), {}, false});
    std::unique_ptr<CWorkerThread> thread;
    if (state) {
        thread.reset(new (std::nothrow) CWorkerThread(std::move(state)));
    }
    pthread_attr_t attributes;
    if (!thread || ::pthread_attr_init(&attributes) != 0) {
        return nullptr;
    }
    CState& started = *thread->m_state;
    const std::size_t nStack = std::max<std::size_t>(nStackBytes, PTHREAD_STACK_MIN);
    started.bRunning = ::pthread_attr_setstacksize(&attributes, nStack) == 0 &&
                       ::pthread_create(&started.thread, &attributes, RunWork, &started) == 0;
    ::pthread_attr_destroy(&attributes);
    return started.bRunning ? std::move(thread) : nullptr;
}

CWorkerThread::~CWorkerThread() {
    if (m_state->bRunning) {
        ::pthread_join(m_state->thread, nullptr);
    }
}

}  // namespace quorrel

// Threads with a stack of their own size (_beginthreadex).
#include <process.h>

#include <new>

#include "platform/WorkerThread.h"
#include "platform/win32/Win32Support.h"

namespace quorrel {

struct CWorkerThread::CState {
    std::function<void()> work;
    HANDLE thread = nullptr;
};

namespace {

unsigned __stdcall RunWork(void* pState) {
    static_cast<CWorkerThread::CState*>(pState)->work();
    return 0;
}

}  // namespace

CWorkerThread::CWorkerThread(std::unique_ptr<CState> state) : m_state(std::move(state)) {}

std::unique_ptr<CWorkerThread> CWorkerThread::Start(std::function<void()> work,
                                                    std::size_t nStackBytes) {
    auto state = std::unique_ptr<CState>(new (std::nothrow) CState{std::move(work), nullptr});
    std::unique_ptr<CWorkerThread> thread;
    if (state) {
        thread.reset(new (std::nothrow) CWorkerThread(std::move(state)));
    }
    if (!thread) {
        return nullptr;
    }
    CState& started = *thread->m_state;
    // The size reserves the stack's address space; only what the thread touches is committed.
    const std::uintptr_t handle =
        ::_beginthreadex(nullptr, static_cast<unsigned>(nStackBytes), RunWork, &started,
                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    started.thread = reinterpret_cast<HANDLE>(handle);
    return handle != 0 ? std::move(thread) : nullptr;
}

CWorkerThread::~CWorkerThread() {
    if (m_state->thread != nullptr) {
        ::WaitForSingleObject(m_state->thread, INFINITE);
        ::CloseHandle(m_state->thread);
    }
}

}  // namespace quorrel

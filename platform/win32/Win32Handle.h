// The owners of the Win32 backend's handles: whatever opens a handle holds it in one of these,
// and hands it on by moving it or, across a system interface, by Release(). Internal to
// platform/.
#pragma once

#include <windows.h>

namespace quorrel::win32 {

// A handle closed with CloseHandle: files, folders, tokens.
class CHandle {
public:
    explicit CHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.Release()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    // The handle, still owned here.
    HANDLE Get() const { return m_h; }
    // Some calls say "none" with INVALID_HANDLE_VALUE, others with null: neither is owned.
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }

    // Gives the handle up to the caller, who closes it from now on.
    HANDLE Release() {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }

    // Closes the handle held, if any, and owns `h` from now on. The last error is kept as it
    // was: the failure a caller is about to report must not become the close's.
    void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (IsValid()) {
            const DWORD nSaved = ::GetLastError();
            ::CloseHandle(m_h);
            ::SetLastError(nSaved);
        }
        m_h = h;
    }

    // Closes the handle where its close may report a fault (the last close of a written
    // file): false with the last error set (ERROR_INVALID_HANDLE when none was held). The
    // handle is gone either way.
    bool Close() {
        if (!IsValid()) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        return ::CloseHandle(Release()) != 0;
    }

private:
    HANDLE m_h;
};

// A directory search, closed with FindClose rather than CloseHandle.
class CFindHandle {
public:
    explicit CFindHandle(HANDLE h) : m_h(h) {}
    ~CFindHandle() {
        if (IsValid()) {
            const DWORD nSaved = ::GetLastError();
            ::FindClose(m_h);
            ::SetLastError(nSaved);
        }
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;

    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

}  // namespace quorrel::win32

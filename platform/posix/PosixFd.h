// The one owner of a descriptor in the POSIX backend: whatever opens a descriptor holds it in
// a CFd, and hands it on by moving it or, across a C interface, by Release(). Internal to
// platform/.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace quorrel::posix {

class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    CFd(CFd&& other) noexcept : m_fd(other.Release()) {}
    CFd& operator=(CFd&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    // The descriptor, still owned here; -1 when there is none.
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }

    // Gives the descriptor up to the caller, who closes it from now on; -1 when there is none.
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

    // Closes the descriptor held, if any, and owns `fd` from now on. errno is kept as it was:
    // the error a caller is about to report must not become the close's.
    void Reset(int fd = -1) {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }

    // Closes the descriptor where its close may report a fault (a write-back error on the
    // last close of a written file): 0, or -1 with errno set (EBADF when none was held). The
    // descriptor is gone either way.
    int Close() {
        const int fd = Release();
        if (fd < 0) {
            errno = EBADF;
            return -1;
        }
        return ::close(fd);
    }

private:
    int m_fd;
};

}  // namespace quorrel::posix

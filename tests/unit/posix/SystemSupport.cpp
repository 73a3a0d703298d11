// The test helpers that need POSIX calls: links, a file held as another program holds one, and
// a test's own mounts.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include "tests/unit/TestSupport.h"

namespace quorrel::test {

CHeldFile::CHeldFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_nHandle = fd;
    } else if (fd >= 0) {
        ::close(fd);
    }
}

CHeldFile::~CHeldFile() {
    if (m_nHandle != -1) {
        ::close(static_cast<int>(m_nHandle));
    }
}

CTestMount::CTestMount(const std::string& source, const std::string& point, const char* type,
                       unsigned long nFlags, const std::string& options)
    : m_strPoint(point),
      m_bMounted(::mount(source.c_str(), point.c_str(), type, nFlags,
                         options.empty() ? nullptr : options.c_str()) == 0) {}

CTestMount::~CTestMount() {
    if (m_bMounted) {
        ::umount2(m_strPoint.c_str(), MNT_DETACH);
    }
}

bool MakeLink(const std::string& target, const std::string& link) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace quorrel::test

// The test helpers that need POSIX calls: links, and a file held as another program holds one.
#include <fcntl.h>
#include <sys/file.h>
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

bool MakeLink(const std::string& target, const std::string& link) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace quorrel::test

#include "tests/fuzz/FuzzInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace quorrel::fuzz {

namespace {

std::string& FolderName() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    ::rmdir(FolderName().c_str());
}

// The private folder of this process, made on first use and removed at exit.
const std::string& InputFolder() {
    std::string& folder = FolderName();
    if (folder.empty()) {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/quorrel-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("quorrel fuzz: mkdtemp");
            std::abort();
        }
        folder = pattern;
        std::atexit(RemoveFolder);
    }
    return folder;
}

}  // namespace

CInputFile::CInputFile(const std::uint8_t* data, std::size_t size) {
    static long nInputs = 0;
    m_strPath = InputFolder() + "/input.conf";
    const int fd = ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool bWritten = fd >= 0;
    for (std::size_t done = 0; bWritten && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        bWritten = n > 0;
        done += bWritten ? static_cast<std::size_t>(n) : 0;
    }
    // A time stamp of its own for every input, a second apart.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000L + ++nInputs, 0}};
    bWritten = bWritten && ::futimens(fd, times) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!bWritten) {
        std::perror("quorrel fuzz: writing the input file");
        std::abort();
    }
}

CInputFile::~CInputFile() {
    ::unlink(m_strPath.c_str());
}

std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size == 0) {
        return args;
    }
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || text[i] == '\0') {
            args.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    return args;
}

}  // namespace quorrel::fuzz

// The console on POSIX systems: argv as it is, isatty, plain writes and signals.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/Console.h"

namespace quorrel {

namespace {

volatile std::sig_atomic_t g_bInterrupted = 0;

// The first signal asks the run to stop where it safely can. A second one ends the process at
// once, for a run stuck where it cannot look (a flush to a device that hangs, a full output
// pipe): the file in progress keeps the length it has, as after any abort.
extern "C" void OnInterrupt(int) {
    if (g_bInterrupted != 0) {
        static const char kStopped[] =
            "quorrel-shred: stopped at once; the file in progress keeps its length\n";
        const ssize_t ignored = ::write(STDERR_FILENO, kStopped, sizeof kStopped - 1);
        (void)ignored;
        ::_exit(1);
    }
    g_bInterrupted = 1;
}

int DescriptorOf(EConsoleStream stream) {
    switch (stream) {
        case EConsoleStream::Input:
            return STDIN_FILENO;
        case EConsoleStream::Output:
            return STDOUT_FILENO;
        case EConsoleStream::Error:
            break;
    }
    return STDERR_FILENO;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool IsConsole(EConsoleStream stream) {
    return ::isatty(DescriptorOf(stream)) != 0;
}

bool WriteConsoleText(EConsoleStream stream, const std::string& text, std::string* pReason) {
    std::FILE* file = stream == EConsoleStream::Output ? stdout : stderr;
    errno = 0;
    const bool bOk =
        std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    if (!bOk && pReason != nullptr) {
        *pReason = std::strerror(errno != 0 ? errno : EIO);
    }
    return bOk;
}

bool EnableConsoleControls() {
    return IsConsole(EConsoleStream::Error);
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal was closed
    // A reader that goes away (quorrel-shred | head) must not kill the run in the middle of a
    // file; the lost log is reported on standard error when the run is over.
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file size limit (ulimit -f) a write then fails with EFBIG on that file, which is
    // reported, instead of the signal ending the run without a word.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool WasInterrupted() {
    return g_bInterrupted != 0;
}

}  // namespace quorrel

// The console on Windows: the wide command line, WriteConsoleW for a console (UTF-8 bytes when
// redirected), and Ctrl-C through a console control handler.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Console.h"
#include "platform/win32/Win32Support.h"
// After windows.h, which it builds on.
#include <shellapi.h>

namespace quorrel {

namespace {

volatile LONG g_nInterrupted = 0;

BOOL WINAPI OnControl(DWORD nEvent) {
    switch (nEvent) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            ::InterlockedExchange(&g_nInterrupted, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

HANDLE HandleOf(EConsoleStream stream) {
    switch (stream) {
        case EConsoleStream::Input:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case EConsoleStream::Output:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case EConsoleStream::Error:
            break;
    }
    return ::GetStdHandle(STD_ERROR_HANDLE);
}

}  // namespace

// The system's own splitting of the command line (quotes group, backslashes escape a quote),
// the one every console program is started with: the window's reader, which keeps quoted
// tokens only, would drop every option and unquoted name typed at a prompt.
std::vector<std::string> ProgramArguments(int, char**) {
    int nArgs = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &nArgs);
    std::vector<std::string> result;
    if (args == nullptr) {
        return result;
    }
    for (int i = 1; i < nArgs; ++i) {
        result.push_back(win32::Narrow(std::wstring(args[i])));
    }
    ::LocalFree(args);
    return result;
}

bool IsConsole(EConsoleStream stream) {
    DWORD nMode = 0;
    return ::GetConsoleMode(HandleOf(stream), &nMode) != 0;
}

bool WriteConsoleText(EConsoleStream stream, const std::string& text, std::string* pReason) {
    std::FILE* file = stream == EConsoleStream::Output ? stdout : stderr;
    bool bOk = false;
    if (!IsConsole(stream)) {
        errno = 0;
        bOk =
            std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
        if (!bOk && pReason != nullptr) {
            *pReason = std::strerror(errno != 0 ? errno : EIO);
        }
        return bOk;
    }
    std::fflush(file);
    const std::wstring wide = win32::Widen(text);
    DWORD nWritten = 0;
    bOk = ::WriteConsoleW(HandleOf(stream), wide.data(), static_cast<DWORD>(wide.size()), &nWritten,
                          nullptr) != 0 &&
          nWritten == wide.size();
    if (!bOk && pReason != nullptr) {
        *pReason = "the console refused the text";
    }
    return bOk;
}

bool EnableConsoleControls() {
    HANDLE h = HandleOf(EConsoleStream::Error);
    DWORD nMode = 0;
    return ::GetConsoleMode(h, &nMode) &&
           ::SetConsoleMode(
               h, nMode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void CatchInterrupts() {
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

bool WasInterrupted() {
    return ::InterlockedCompareExchange(&g_nInterrupted, 0, 0) != 0;
}

}  // namespace quorrel

#include "cli/TerminalHost.h"

#include "platform/Console.h"

namespace quorrel {

namespace {

// The bar is redrawn at most this often.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Mebibytes(std::int64_t nBytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(nBytes) / (1024.0 * 1024.0));
    return text;
}

// The end of `path` that fits in `nWidth` characters.
std::string Tail(const std::string& path, std::size_t nWidth) {
    if (path.size() <= nWidth) {
        return path;
    }
    return "..." + path.substr(path.size() - (nWidth - 3));
}

}  // namespace

CTerminalHost::CTerminalHost(bool bProgress) : m_bProgress(bProgress) {}

void CTerminalHost::InstallInterruptHandler() {
    CatchInterrupts();
}

std::string EscapeControls(const std::string& line) {
    std::string shown;
    shown.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

void CTerminalHost::AddLine(const std::string& line) {
    ClearBar();
    const std::string shown = EscapeControls(line);
    std::string reason;
    if (!WriteConsoleText(EConsoleStream::Output, shown + '\n', &reason) &&
        m_strOutputError.empty()) {
        m_strOutputError = reason;  // the run goes on: a file left half done helps nobody
    }
}

bool CTerminalHost::IsAborted() {
    Draw(false);
    return WasInterrupted();
}

void CTerminalHost::SetProgressRange(std::int64_t nUpper) {
    m_nUpper = nUpper;
}

void CTerminalHost::SetProgressPos(std::int64_t nPos) {
    m_nPos = nPos;
}

void CTerminalHost::StepProgress(std::int64_t nBytes) {
    m_nPos += nBytes;
}

void CTerminalHost::OnPassStart(const std::string& path, int nPass, int nPasses) {
    m_strPath = path;
    m_nPass = nPass;
    m_nPasses = nPasses;
    m_nPos = 0;  // every pass starts from the first byte; the rate is of this pass
    m_passStart = std::chrono::steady_clock::now();
    Draw(true);
}

// A terminal run is the process's only run: a Ctrl-C that came before the work began still
// counts, so the flag is not cleared here.
void CTerminalHost::BeginRun() {}

void CTerminalHost::EndRun() {
    ClearBar();
}

void CTerminalHost::Draw(bool bForce) {
    if (!m_bProgress || m_strPath.empty()) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!bForce && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_passStart).count();
    const double rate = seconds > 0.0 ? static_cast<double>(m_nPos) / seconds : 0.0;
    const int percent = m_nUpper > 0 ? static_cast<int>(m_nPos * 100 / m_nUpper) : 100;
    char counts[128];
    std::snprintf(counts, sizeof counts, "  pass %d/%d  %3d%%  %s of %s  %s/s", m_nPass + 1,
                  m_nPasses, percent, Mebibytes(m_nPos).c_str(), Mebibytes(m_nUpper).c_str(),
                  Mebibytes(static_cast<std::int64_t>(rate)).c_str());
    WriteConsoleText(EConsoleStream::Error,
                     "\r\033[K" + EscapeControls(Tail(m_strPath, 40)) + counts);
    m_bBarShown = true;
}

void CTerminalHost::ClearBar() {
    if (m_bBarShown) {
        WriteConsoleText(EConsoleStream::Error, "\r\033[K");
        m_bBarShown = false;
    }
}

}  // namespace quorrel

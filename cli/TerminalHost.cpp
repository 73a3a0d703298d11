#include "cli/TerminalHost.h"

#include "platform/Console.h"

namespace quorrel {

namespace {

// The bar is redrawn at most this often.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// The line is kept within this many characters, the width of the narrowest usual terminal
// less one, so that it never wraps and "\r" always returns to its start.
constexpr std::size_t kLineWidth = 79;

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
    WriteConsoleText(EConsoleStream::Output, shown + '\n');
}

bool CTerminalHost::IsAborted() {
    Draw(false);
    return WasInterrupted();
}

void CTerminalHost::SetProgressRange(std::int64_t nUpper) {
    m_progress.SetRange(nUpper);
}

void CTerminalHost::SetProgressPos(std::int64_t nPos) {
    m_progress.SetPos(nPos);
}

void CTerminalHost::StepProgress(std::int64_t nBytes) {
    m_progress.Step(nBytes);
}

void CTerminalHost::OnPassStart(const std::string& path, int nPass, int nPasses) {
    m_progress.OnPassStart(path, nPass, nPasses);
    Draw(true);
}

// A terminal run is the process's only run: a Ctrl-C that came before the work began still
// counts, so the flag is not cleared here.
void CTerminalHost::BeginRun() {
    m_progress.Begin();
    m_runStart = std::chrono::steady_clock::now();
}

void CTerminalHost::EndRun() {
    ClearBar();
    m_progress.End();
}

void CTerminalHost::Draw(bool bForce) {
    if (!m_bProgress) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!bForce && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;
    const double fSeconds = std::chrono::duration<double>(now - m_runStart).count();
    CProgressFacts facts = m_progress.Facts(fSeconds);
    if (facts.m_strPath.empty()) {
        return;
    }
    facts.m_strPath = EscapeControls(facts.m_strPath);
    WriteConsoleText(EConsoleStream::Error, "\r\033[K" + ProgressLine(facts, kLineWidth));
    m_bBarShown = true;
}

void CTerminalHost::ClearBar() {
    if (m_bBarShown) {
        WriteConsoleText(EConsoleStream::Error, "\r\033[K");
        m_bBarShown = false;
    }
}

}  // namespace quorrel

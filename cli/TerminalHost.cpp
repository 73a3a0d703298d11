#include "cli/TerminalHost.h"

#include <cstdint>

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

namespace {

// The length of the well-formed UTF-8 sequence at `at` and the character it encodes; 0 when
// there is none there.
std::size_t Utf8At(const std::string& text, std::size_t at, std::uint32_t& nChar) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t nLength = lead >= 0xF0 && lead < 0xF5   ? 4
                                : lead >= 0xE0                ? 3
                                : lead >= 0xC2 && lead < 0xE0 ? 2
                                                              : 0;
    if (nLength == 0 || at + nLength > text.size()) {
        return 0;
    }
    nChar = lead & (0xFF >> (nLength + 1));
    for (std::size_t i = 1; i < nLength; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        nChar = (nChar << 6) | (next & 0x3F);
    }
    return nChar >= (nLength == 3 ? 0x800u : nLength == 4 ? 0x10000u : 0x80u) ? nLength : 0;
}

// C1 controls and the marks that reorder the text after them (bidirectional embeddings,
// overrides and isolates): a terminal acts on them as it acts on C0 controls.
bool IsHiddenControl(std::uint32_t nChar) {
    return (nChar >= 0x80 && nChar <= 0x9F) || (nChar >= 0x202A && nChar <= 0x202E) ||
           (nChar >= 0x2066 && nChar <= 0x2069);
}

void AppendEscaped(std::string& shown, unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    shown += escaped;
}

}  // namespace

std::string EscapeControls(const std::string& line) {
    std::string shown;
    shown.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        const auto byte = static_cast<unsigned char>(line[i]);
        std::uint32_t nChar = 0;
        const std::size_t nLength = byte >= 0x80 ? Utf8At(line, i, nChar) : 0;
        if (nLength > 0) {
            for (std::size_t j = 0; j < nLength; ++j) {
                if (IsHiddenControl(nChar)) {
                    AppendEscaped(shown, static_cast<unsigned char>(line[i + j]));
                } else {
                    shown += line[i + j];
                }
            }
            i += nLength;
            continue;
        }
        // A byte outside any character: 0x80-0x9F alone is a C1 control to some terminals.
        if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
            AppendEscaped(shown, byte);
        } else {
            shown += line[i];
        }
        ++i;
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

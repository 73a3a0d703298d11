#include "cli/TerminalHost.h"

#include <cstdint>

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

// The tips file of the tip of the day, read as the dialog reads it: from the beginning round
// to the beginning again, then from stored offsets in the middle, past the end and before the
// beginning.
#include <QString>

#include <cstdlib>

#include "tests/fuzz/FuzzInput.h"
#include "toolkit/TipsFile.h"

using quorrel::CXTTipsFile;

namespace {

// A tip is never empty, never longer than a line may be, and never a skipped line.
void CheckTip(const QString& tip) {
    const QChar first = tip.isEmpty() ? QChar(u' ') : tip.front();
    if (tip.size() > CXTTipsFile::kMaxTipLength || first == u' ' || first == u'\t' ||
        first == u'\n' || first == u';') {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorrel::fuzz::CInputFile file(data, size);
    CXTTipsFile tips(QString::fromStdString(file.Path()));
    if (!tips.IsOpen()) {
        std::abort();
    }
    QString tip;
    long nLast = tips.Tell();
    for (std::size_t n = 0; n <= size && tips.ReadNextTip(tip) == CXTTipsFile::ReadOk; ++n) {
        CheckTip(tip);
        const long nPos = tips.Tell();
        if (nPos <= nLast) {
            break;  // round to the beginning: every tip was read once
        }
        nLast = nPos;
    }
    for (const long nOffset : {static_cast<long>(size / 2), static_cast<long>(size) + 5, -1L}) {
        if (tips.Seek(nOffset) == (nOffset < 0)) {
            std::abort();
        }
        if (tips.ReadNextTip(tip) == CXTTipsFile::ReadOk) {
            CheckTip(tip);
        }
    }
    (void)tips.ModificationText();
    return 0;
}

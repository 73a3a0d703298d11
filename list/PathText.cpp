#include "list/PathText.h"

#include "platform/FileSystem.h"
#include "toolkit/QtCompat.h"

namespace quorrel {

namespace {

void AppendEscape(QString& text, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    text += QLatin1String("\\x");
    text += QLatin1Char(kHex[byte >> 4]);
    text += QLatin1Char(kHex[byte & 0x0F]);
}

bool IsControl(char32_t code) {
    return code < 0x20 || code == 0x7F;
}

// Decodes the UTF-8 sequence starting at `i`. Returns its length, or 0 when the bytes there
// are not a well-formed sequence (stray continuation byte, truncated, overlong, surrogate or
// beyond U+10FFFF).
int DecodeSequence(const QByteArray& bytes, QtIndex i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int nLength = 0;
    char32_t nMinimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        nLength = 2, code = lead & 0x1F, nMinimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        nLength = 3, code = lead & 0x0F, nMinimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        nLength = 4, code = lead & 0x07, nMinimum = 0x10000;
    } else {
        return 0;
    }
    if (i + nLength > bytes.size()) {
        return 0;
    }
    for (int k = 1; k < nLength; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < nMinimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return nLength;
}

}  // namespace

QString DisplayPath(const QByteArray& path) {
    QString text;
    text.reserve(path.size());
    QtIndex i = 0;
    while (i < path.size()) {
        char32_t code = 0;
        const int nLength = DecodeSequence(path, i, code);
        if (nLength == 0 || IsControl(code)) {
            AppendEscape(text, static_cast<unsigned char>(path[i]));
            ++i;
            continue;
        }
        if (code > 0xFFFF) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(static_cast<char16_t>(code));
        }
        i += nLength;
    }
    return text;
}

QByteArray EntryName(const QByteArray& path) {
    // The system decides what separates: on Linux a backslash is an ordinary character.
    QtIndex cut = path.size() - 1;
    while (cut >= 0 && !IsPathSeparator(path[cut])) {
        --cut;
    }
    return cut < 0 ? path : path.mid(cut + 1);
}

}  // namespace quorrel

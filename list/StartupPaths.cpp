#include "list/StartupPaths.h"

#include "list/QuorrelView.h"
#include "platform/FileSystem.h"
#include "toolkit/QtCompat.h"

namespace quorrel {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Where the text after the program's own path starts. The system's own rule: a path that
// starts with a quote runs to the next quote, any other to the first blank. Without this rule
// an unquoted program path would make the first quoted argument pass for it, and the first
// file the user named would be dropped.
QtIndex SkipProgramPath(const QByteArray& text) {
    QtIndex nPos = 0;
    while (nPos < text.size() && IsBlank(text[nPos])) {
        ++nPos;
    }
    if (nPos < text.size() && text[nPos] == '"') {
        const QtIndex nClose = text.indexOf('"', nPos + 1);
        return nClose < 0 ? text.size() : nClose + 1;
    }
    while (nPos < text.size() && !IsBlank(text[nPos])) {
        ++nPos;
    }
    return nPos;
}

// A relative token as the full path it names now, so that the Path column says where the entry
// is: the current directory joined with the token, leading "./" parts dropped. ".." parts are
// kept as written: read by their names they could name another entry where a link is passed.
QByteArray FullToken(const QByteArray& token) {
    const std::string text = token.toStdString();
    if (PathRootLength(text) != 0) {
        return token;
    }
    std::size_t nStart = 0;
    while (text.compare(nStart, 2, "./") == 0) {
        nStart += 2;
        while (nStart < text.size() && text[nStart] == '/') {
            ++nStart;
        }
    }
    if (nStart >= text.size()) {
        return token;
    }
    return QByteArray::fromStdString(JoinPath(CurrentDirectory(), text.substr(nStart)));
}

}  // namespace

QList<QByteArray> ParseQuotedCommandLine(const QByteArray& text) {
    QList<QByteArray> tokens;
    QtIndex nOpen = text.indexOf('"', SkipProgramPath(text));
    while (nOpen >= 0) {
        const QtIndex nClose = text.indexOf('"', nOpen + 1);
        if (nClose < 0) {
            break;  // an unpaired quote yields nothing and ends the scan
        }
        tokens.append(text.mid(nOpen + 1, nClose - nOpen - 1));
        nOpen = text.indexOf('"', nClose + 1);
    }
    return tokens;
}

QList<QByteArray> ArgvTokens(int argc, const char* const* argv) {
    QList<QByteArray> tokens;
    for (int k = 1; k < argc; ++k) {
        tokens.append(QByteArray(argv[k]));
    }
    return tokens;
}

void AddStartupPaths(CQuorrelView& view, const QList<QByteArray>& tokens) {
    IFileSystem& fileSystem = SystemFileSystem();
    for (const QByteArray& written : tokens) {
        const QByteArray token = FullToken(written);
        if (view.ContainsPath(token)) {
            continue;
        }
        CDirEntry entry;
        if (!fileSystem.FindEntry(token.toStdString(), entry)) {
            continue;
        }
        const bool bFolder = (entry.m_attributes & kAttrDirectory) != 0;
        view.AddEntry(token, bFolder ? ItemKind::Folder : ItemKind::File);
    }
}

}  // namespace quorrel

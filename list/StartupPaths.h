// The paths given at start-up: the files and folders dropped on the program's icon, or named
// when it was started, go into the list.
#pragma once

#include <QByteArray>
#include <QList>

namespace quorrel {

class CQuorrelView;

// The quoted tokens of a whole command-line text (the Windows form, where the system hands
// over one text): the text strictly between each pair of double quotes, left to right; text
// outside quotes is ignored and an empty pair gives an empty token. The program's own path at
// the start is not a token, quoted or not: unquoted it runs to the first blank. An opening
// quote without a partner ends the scan.
QList<QByteArray> ParseQuotedCommandLine(const QByteArray& text);

// The tokens of argv: every argument after the program's own path, byte for byte. Take them
// before QApplication is constructed, which removes the arguments it takes for its own options
// (a file named "-style" would otherwise never reach the list).
QList<QByteArray> ArgvTokens(int argc, const char* const* argv);

// Puts the tokens into the list, left to right, each on top: a token already in the list, or
// that names nothing (looked up as a listing would: a pattern takes its first match, a path
// ending in a separator is not found), is skipped silently; otherwise it is added as a "Folder"
// when the object is a directory and as a "File" otherwise. A relative token is added as the
// full path it names (the current directory joined with it), so the Path column says where.
void AddStartupPaths(CQuorrelView& view, const QList<QByteArray>& tokens);

}  // namespace quorrel

// Paths travel as bytes; these turn them into text a person can read.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorrel {

// The path as the user should read it: decoded as the file system's names are (UTF-8); bytes
// that do not decode are shown as \xNN, so a name that is not valid UTF-8 stays readable.
// Control characters (a line feed in a name, say) are shown the same way, so that one row
// stays one line. For display only: the row keeps the bytes themselves.
QString DisplayPath(const QByteArray& path);

// The Name column: the part after the last separator; the whole path when it has none; empty
// when the path ends with a separator.
QByteArray EntryName(const QByteArray& path);

}  // namespace quorrel

// A row of the file list: a path and what it names. The path is the row's identity.
#pragma once

#include <QString>

namespace quorrel {

// What a row holds: a file or a folder. The text shown in the "Type" column.
enum class ItemKind { File, Folder };

// The "Type" column's text of a kind: "File" or "Folder".
inline QString KindText(ItemKind kind) {
    return kind == ItemKind::Folder ? QStringLiteral("Folder") : QStringLiteral("File");
}

// The row image of a kind: 0 for a file, 1 for a folder (the order of the list's images).
inline int KindImage(ItemKind kind) {
    return kind == ItemKind::Folder ? 1 : 0;
}

}  // namespace quorrel

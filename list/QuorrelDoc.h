// The program's one document. The list lives in the view and is never saved, so the document
// holds nothing, reads and writes no file, and always has the same title.
#pragma once

#include <QString>

class QDataStream;

namespace quorrel {

class CQuorrelDoc {
public:
    // The title every document has, whatever title it is given.
    static QString FixedTitle();

    // Stores and loads nothing: the document has no data.
    void Serialize(QDataStream& archive);
    // Ignores `title`: the title stays FixedTitle().
    void SetTitle(const QString& title);
    // The document's title: always FixedTitle().
    QString GetTitle() const;
    // Starts a new, empty document; always succeeds.
    bool OnNewDocument();
    // "Opens" `path` without reading or touching it; always succeeds.
    bool OnOpenDocument(const QString& path);
    // Never modified, so there is never anything to save.
    bool IsModified() const { return false; }
};

}  // namespace quorrel

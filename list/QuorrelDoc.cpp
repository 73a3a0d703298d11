#include "list/QuorrelDoc.h"

namespace quorrel {

QString CQuorrelDoc::FixedTitle() {
    return QStringLiteral("File and folder removal tool.");
}

void CQuorrelDoc::Serialize(QDataStream& archive) {
    (void)archive;
}

void CQuorrelDoc::SetTitle(const QString& title) {
    (void)title;
}

QString CQuorrelDoc::GetTitle() const {
    return FixedTitle();
}

bool CQuorrelDoc::OnNewDocument() {
    return true;
}

bool CQuorrelDoc::OnOpenDocument(const QString& path) {
    (void)path;
    return true;
}

}  // namespace quorrel

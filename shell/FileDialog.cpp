#include "FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QList>
#include <QtGlobal>

namespace quorrel {

namespace {

// What the test seam holds. One GUI thread touches it, so nothing is locked.
struct SSeam {
    QList<QStringList> files;
    QStringList directories;
    int nAsked = 0;
    bool bRefuseUnanswered = false;
};

SSeam& Seam() {
    static SSeam seam;
    return seam;
}

}  // namespace

QStringList CFileDialog::GetOpenFileNames(QWidget* parent, const QString& caption,
                                          const QString& filter) {
    SSeam& seam = Seam();
    if (!seam.files.isEmpty()) {
        ++seam.nAsked;
        return seam.files.takeFirst();
    }
    if (seam.bRefuseUnanswered) {
        ++seam.nAsked;
        qWarning("CFileDialog: no files queued for \"%s\"; cancelled", qUtf8Printable(caption));
        return QStringList();
    }
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setObjectName(QStringLiteral("openFilesDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // A filter may carry its patterns after its label, "All Files (*.*) (*)": the label is
    // what the user reads, the last group what is matched.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString CFileDialog::GetExistingDirectory(QWidget* parent, const QString& caption,
                                          const QString& startDir) {
    SSeam& seam = Seam();
    if (!seam.directories.isEmpty()) {
        ++seam.nAsked;
        return seam.directories.takeFirst();
    }
    if (seam.bRefuseUnanswered) {
        ++seam.nAsked;
        qWarning("CFileDialog: no folder queued for \"%s\"; cancelled", qUtf8Printable(caption));
        return QString();
    }
    const QString start = startDir.isEmpty() ? QDir::currentPath() : startDir;
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

void CFileDialog::SetNextFiles(const QStringList& files) {
    Seam().files.append(files);
}

void CFileDialog::SetNextDirectory(const QString& directory) {
    Seam().directories.append(directory);
}

int CFileDialog::AskedCount() {
    return Seam().nAsked;
}

void CFileDialog::ClearAnswers() {
    SSeam& seam = Seam();
    seam.files.clear();
    seam.directories.clear();
    seam.nAsked = 0;
}

void CFileDialog::SetRefuseUnanswered(bool bRefuse) {
    Seam().bRefuseUnanswered = bRefuse;
}

}  // namespace quorrel

#include "shell/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QList>
#include <QtGlobal>

namespace quorrel {

namespace {

// What the test seam holds. One GUI thread touches it, so nothing is locked.
struct SSeam {
    QList<QStringList> files;
    QStringList directories;
    int nAsked = 0;
    QString lastStart;
    bool bRefuseUnanswered = false;
};

SSeam& Seam() {
    static SSeam seam;
    return seam;
}

// The folder chooser that takes only a folder the user named: typed into its name field, or
// picked in its list (which puts the name into the field). Confirming with the field empty
// would otherwise choose the folder on show, the one it opened at.
class CNamedFolderChooser final : public QFileDialog {
public:
    CNamedFolderChooser(QWidget* parent, const QString& caption, const QString& start)
        : QFileDialog(parent, caption, start) {
        setObjectName(QStringLiteral("folderChooser"));
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
        // The desktop's own chooser would take the folder on show when nothing is named.
        setOption(QFileDialog::DontUseNativeDialog);
    }

    void accept() override {
        const auto* pName = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (pName != nullptr && pName->text().trimmed().isEmpty()) {
            return;
        }
        QFileDialog::accept();
    }
};

// A folder chooser showing `start` selected in its parent folder.
QString ChooseFromParent(QWidget* parent, const QString& caption, const QString& start) {
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("folderChooser"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QFileInfo info(start);
    if (info.isDir() && !info.isRoot()) {
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    } else {
        dialog.setDirectory(start);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
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
                                          const QString& startDir, EStartChoice startChoice) {
    SSeam& seam = Seam();
    seam.lastStart = startDir;
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
    if (startChoice == StartMayBeChosen) {
        return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
    }
    if (startChoice == StartInParent) {
        return ChooseFromParent(parent, caption, start);
    }
    CNamedFolderChooser chooser(parent, caption, start);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return QString();
    }
    return chooser.selectedFiles().constFirst();
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
    seam.lastStart.clear();
}

QString CFileDialog::LastStartDirectory() {
    return Seam().lastStart;
}

void CFileDialog::SetRefuseUnanswered(bool bRefuse) {
    Seam().bRefuseUnanswered = bRefuse;
}

}  // namespace quorrel

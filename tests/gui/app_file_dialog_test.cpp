// The file and folder chooser seam: queued answers for tests, and the real choosers behind it.
#include "shell/FileDialog.h"
#include "tests/gui/gui_test_support.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QtTest>

using quorrel::CFileDialog;
using quorrel_test::WhenModal;

class CAppFileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void queuedFilesAreReturnedInOrder();
    void queuedFoldersAreReturnedInOrder();
    void anUnansweredChooserIsCancelledWithAWarning();
    void theFileChooserReturnsEveryChosenFile();
    void cancellingTheFileChooserReturnsNothing();
    void theFolderChooserStartsWhereItIsTold();
    void theFolderChooserStartsInTheCurrentFolderByDefault();

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
};

void CAppFileDialogTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
    QVERIFY(m_files.isValid());
    // The widget choosers, the same on every desktop, so that a test can drive them.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    for (const char* pszName : {"a.txt", "b.txt", "c.txt"}) {
        QFile file(m_files.filePath(QLatin1String(pszName)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_files.path()).mkdir(QStringLiteral("sub")));
}

void CAppFileDialogTest::init() {
    CFileDialog::ClearAnswers();
    CFileDialog::SetRefuseUnanswered(false);
}

void CAppFileDialogTest::queuedFilesAreReturnedInOrder() {
    CFileDialog::SetNextFiles({QStringLiteral("/x/a"), QStringLiteral("/x/b")});
    CFileDialog::SetNextFiles({});
    QCOMPARE(CFileDialog::GetOpenFileNames(nullptr, QString(), QString()),
             QStringList({"/x/a", "/x/b"}));
    QCOMPARE(CFileDialog::GetOpenFileNames(nullptr, QString(), QString()), QStringList());
    QCOMPARE(CFileDialog::AskedCount(), 2);
}

void CAppFileDialogTest::queuedFoldersAreReturnedInOrder() {
    CFileDialog::SetNextDirectory(QStringLiteral("/x"));
    CFileDialog::SetNextDirectory(QString());
    QCOMPARE(CFileDialog::GetExistingDirectory(nullptr, QString(), QString()),
             QStringLiteral("/x"));
    QCOMPARE(CFileDialog::GetExistingDirectory(nullptr, QString(), QString()), QString());
    QCOMPARE(CFileDialog::AskedCount(), 2);
}

void CAppFileDialogTest::anUnansweredChooserIsCancelledWithAWarning() {
    CFileDialog::SetRefuseUnanswered(true);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no files queued")));
    QCOMPARE(CFileDialog::GetOpenFileNames(nullptr, QStringLiteral("Add"), QString()),
             QStringList());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no folder queued")));
    QCOMPARE(CFileDialog::GetExistingDirectory(nullptr, QStringLiteral("Add"), QString()),
             QString());
    QCOMPARE(CFileDialog::AskedCount(), 2);
}

void CAppFileDialogTest::theFileChooserReturnsEveryChosenFile() {
    const QString folder = m_files.path();
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool bTimedOut = false;
    WhenModal<QFileDialog>(
        [&mode, folder](QFileDialog* pDialog) {
            mode = pDialog->fileMode();
            pDialog->setDirectory(folder);
            pDialog->selectFile(QStringLiteral("\"a.txt\" \"c.txt\""));
            QMetaObject::invokeMethod(pDialog, "accept");
        },
        &bTimedOut);
    QStringList chosen =
        CFileDialog::GetOpenFileNames(nullptr, QString(), QStringLiteral("All Files (*)"));
    QVERIFY(!bTimedOut);
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    chosen.sort();
    QCOMPARE(chosen, QStringList({folder + "/a.txt", folder + "/c.txt"}));
    QCOMPARE(CFileDialog::AskedCount(), 0);
}

void CAppFileDialogTest::cancellingTheFileChooserReturnsNothing() {
    bool bTimedOut = false;
    WhenModal<QFileDialog>([](QFileDialog* pDialog) { pDialog->reject(); }, &bTimedOut);
    QCOMPARE(CFileDialog::GetOpenFileNames(nullptr, QString(), QString()), QStringList());
    QVERIFY(!bTimedOut);
}

void CAppFileDialogTest::theFolderChooserStartsWhereItIsTold() {
    QString start;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool bFoldersOnly = false;
    bool bTimedOut = false;
    WhenModal<QFileDialog>(
        [&start, &mode, &bFoldersOnly, this](QFileDialog* pDialog) {
            start = pDialog->directory().absolutePath();
            mode = pDialog->fileMode();
            bFoldersOnly = pDialog->testOption(QFileDialog::ShowDirsOnly);
            // The user goes into "sub" and chooses it.
            pDialog->setDirectory(m_files.filePath(QStringLiteral("sub")));
            QMetaObject::invokeMethod(pDialog, "accept");
        },
        &bTimedOut);
    const QString chosen = CFileDialog::GetExistingDirectory(
        nullptr, QStringLiteral("Select Directory"), m_files.path());
    QVERIFY(!bTimedOut);
    QCOMPARE(start, m_files.path());
    // It chooses a folder and lists folders only (Qt 5 calls that mode DirectoryOnly).
    QVERIFY(mode != QFileDialog::AnyFile && mode != QFileDialog::ExistingFile &&
            mode != QFileDialog::ExistingFiles);
    QVERIFY(bFoldersOnly);
    QCOMPARE(chosen, m_files.path() + QStringLiteral("/sub"));
}

void CAppFileDialogTest::theFolderChooserStartsInTheCurrentFolderByDefault() {
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_files.filePath(QStringLiteral("sub"))));
    QString start;
    bool bTimedOut = false;
    WhenModal<QFileDialog>(
        [&start](QFileDialog* pDialog) {
            start = pDialog->directory().absolutePath();
            pDialog->reject();
        },
        &bTimedOut);
    const QString chosen = CFileDialog::GetExistingDirectory(nullptr, QString(), QString());
    QDir::setCurrent(old);
    QVERIFY(!bTimedOut);
    QCOMPARE(start, m_files.filePath(QStringLiteral("sub")));
    QCOMPARE(chosen, QString());
}

QTEST_MAIN(CAppFileDialogTest)
#include "app_file_dialog_test.moc"

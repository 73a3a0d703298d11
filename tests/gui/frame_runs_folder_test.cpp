// WIPE Folder from the window on real folder trees in a temporary folder (among them one whose
// file another process holds locked), and the two commands that fill the list: Add Files and
// Add Folder, answered through the chooser seam.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <functional>

#include "engine/runs/Runs.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/FileDialog.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"
#include "tests/gui/run_test_support.h"

using namespace quorrel;
using namespace quorrel_test;

namespace {

const QString kSimplePhrase = QStringLiteral(" using: Simple (1 pass: writes 0x00) algorithm.");

// Another process that keeps a file open with an exclusive lock until it is stopped, as
// another program keeps a file open without sharing.
class CLockingProcess {
public:
    // Returns once the child holds the lock; false when it could not take it.
    bool Start(const QByteArray& path) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return false;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls here: the parent has threads.
            const int fd = ::open(path.constData(), O_RDWR);
            const char nHeld = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            if (::write(fds[1], &nHeld, 1) != 1 || nHeld != 'y') {
                ::_exit(1);
            }
            for (;;) {
                ::pause();
            }
        }
        ::close(fds[1]);
        char nHeld = 'n';
        const bool bRead = m_pid > 0 && ::read(fds[0], &nHeld, 1) == 1;
        ::close(fds[0]);
        return bRead && nHeld == 'y';
    }
    ~CLockingProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
};

}  // namespace

class CFrameRunsFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wipeFolderAnsweredNoOrBrowseCancelled();
    void enterEnterOnWipeFolderShredsNothing();
    void wipeFolderShredsTheWholeTree();
    void wipeFolderWithAFileLockedByAnotherProcess();
    void wipeFolderCancelledWritesItsErrorLine();
    void addFilesPutsTheLastOnTopAndRefusesDuplicates();
    void addFilesTakesSelectionsBeyond260Characters();
    void addFolderRefusesTheSecondAndReachesOddNames();
    void cancelledChoosersAddNothing();
    void addFolderStartsWhereLastChosenAndTakesOnlyAFolder();

private:
    CQuorrelView& View() const { return *m_pFrame->GetActiveView(); }
    QAction* Command(const char* pszObjectName) const {
        return m_pFrame->findChild<QAction*>(QLatin1String(pszObjectName));
    }
    QByteArray PathOf(const char* pszName) const {
        return QFile::encodeName(m_files.path()) + '/' + pszName;
    }
    QStringList NewLogLines() const;

    QTemporaryDir m_config;
    QTemporaryDir m_files;
    std::unique_ptr<CMainFrame> m_pFrame;
    int m_nLogStart = 0;
};

void CFrameRunsFolderTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    CFileDialog::SetRefuseUnanswered(true);
    QVERIFY(m_files.isValid());
}

void CFrameRunsFolderTest::init() {
    quorrel_test::ClearProfile(m_config);
    WipeMethod() = 0;
    FilesInFlight() = CWipeEngine::kDefaultFilesInFlight;
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
    m_nLogStart = m_pFrame->OutputBar().LogList().count();
    CFileDialog::ClearAnswers();
}

void CFrameRunsFolderTest::cleanup() {
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
    CFileDialog::ClearAnswers();
    QDir(m_files.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_files.path()));
}

QStringList CFrameRunsFolderTest::NewLogLines() const {
    const QListWidget& log = m_pFrame->OutputBar().LogList();
    QStringList lines;
    for (int nRow = m_nLogStart; nRow < log.count(); ++nRow) {
        lines.append(log.item(nRow)->text());
    }
    return lines;
}

// Cancelling the folder chooser asks nothing; answering No to the question logs nothing; the
// folder is untouched either way.
void CFrameRunsFolderTest::wipeFolderAnsweredNoOrBrowseCancelled() {
    const QByteArray folder = PathOf("keep"), file = folder + "/f";
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QVERIFY(MakeFile(file, 100));

    CFileDialog::SetNextDirectory(QString());
    Command("wipeFolder")->trigger();
    QCOMPARE(CFileDialog::AskedCount(), 1);
    QCOMPARE(CMessageBox::ShownTexts(), QStringList());
    QCOMPARE(NewLogLines(), QStringList());

    CFileDialog::SetNextDirectory(Text(folder));
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    Command("wipeFolder")->trigger();
    QCOMPARE(CFileDialog::AskedCount(), 2);
    // The question names the folder on a line of its own, and Enter answers No.
    QCOMPARE(CMessageBox::ShownTexts(),
             QStringList({QString::fromUtf8(kWipeFolderQuestion) + '\n' + Text(folder)}));
    QCOMPARE(CMessageBox::ShownDefaults(), QList<int>({CMessageBox::IdNo}));
    QCOMPARE(NewLogLines(), QStringList());
    QVERIFY(HoldsOnly(file, 'x'));
    QVERIFY(m_pFrame->isEnabled());
}

// The chosen folder, its files and its subfolder are shredded and removed, as one run.
// The real chooser opens at the working folder with nothing named: Enter there chooses nothing.
// Once the user names the folder, the question shows it on a line of its own, and Enter on the
// question answers No.
void CFrameRunsFolderTest::enterEnterOnWipeFolderShredsNothing() {
    const QByteArray folder = PathOf("keep"), file = folder + "/f";
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QVERIFY(MakeFile(file, 100));
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(Text(folder)));
    CFileDialog::SetRefuseUnanswered(false);
    CMessageBox::SetRefuseUnanswered(false);
    bool bChooserStayed = false, bTimedOut = false;
    QString start, question;
    quorrel_test::WhenModal<QFileDialog>(
        [&](QFileDialog* pChooser) {
            start = pChooser->directory().absolutePath();
            auto* pName = pChooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClick(pName, Qt::Key_Return);
            bChooserStayed = pChooser->isVisible();
            quorrel_test::WhenModal<QMessageBox>(
                [&](QMessageBox* pBox) {
                    question = pBox->text();
                    QTest::keyClick(pBox, Qt::Key_Return);
                },
                &bTimedOut);
            pName->setText(Text(folder));
            QTest::keyClick(pName, Qt::Key_Return);
        },
        &bTimedOut);
    Command("wipeFolder")->trigger();
    QDir::setCurrent(old);
    CFileDialog::SetRefuseUnanswered(true);
    CMessageBox::SetRefuseUnanswered(true);
    QVERIFY(!bTimedOut);
    QCOMPARE(start, Text(folder));
    QVERIFY(bChooserStayed);
    QCOMPARE(question, QString::fromUtf8(kWipeFolderQuestion) + '\n' + Text(folder));
    QCOMPARE(NewLogLines(), QStringList());
    QVERIFY(HoldsOnly(file, 'x'));
}

void CFrameRunsFolderTest::wipeFolderShredsTheWholeTree() {
    const QByteArray folder = PathOf("tree"), sub = folder + "/sub", inner = sub + "/g";
    QVERIFY(QDir().mkpath(QFile::decodeName(sub)));
    QVERIFY(MakeFile(inner, 70000));
    bool bDisabledInRun = false;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line.startsWith(QLatin1String("Wipeing file"))) {
            bDisabledInRun = !m_pFrame->isEnabled() && m_pFrame->AbortDialog().isVisible();
        }
    });

    CFileDialog::SetNextDirectory(Text(folder));
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    Command("wipeFolder")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.mid(0, 8),
             QStringList(
                 {"- Start deleteing files " + Text(folder) + kSimplePhrase,
                  "Wipeing folder " + Text(folder), "Wipeing folder " + Text(sub),
                  "Wipeing file " + Text(inner), "File " + Text(inner) + " successfuly deleted ",
                  "Folder " + Text(sub) + " is removed", "Folder " + Text(folder) + " is removed",
                  "- End deleting the folder " + Text(folder)}));
    QVERIFY(IsTimeLine(lines.last()));
    QVERIFY(!Exists(folder));
    QVERIFY(bDisabledInRun);
    QVERIFY(m_pFrame->isEnabled());
    QVERIFY(!m_pFrame->AbortDialog().isVisible());
}

// A file that another process keeps locked is reported, the walk goes on, the folder cannot be
// removed, and the run still ends with its end and time lines.
void CFrameRunsFolderTest::wipeFolderWithAFileLockedByAnotherProcess() {
    const QByteArray folder = PathOf("busy"), locked = folder + "/locked.doc",
                     unlocked = folder + "/free.doc";
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QVERIFY(MakeFile(locked, 5000, 'L'));
    QVERIFY(MakeFile(unlocked, 5000));
    CLockingProcess other;
    QVERIFY(other.Start(locked));

    CFileDialog::SetNextDirectory(Text(folder));
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    Command("wipeFolder")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines[0], "- Start deleteing files " + Text(folder) + kSimplePhrase);
    QCOMPARE(lines[1], "Wipeing folder " + Text(folder));
    // The two files come in the order the folder lists them.
    const QString lockedLine = "* Error seting file attribute on file " + Text(locked) +
                               ": A sharing violation occurred while accessing an unnamed file.";
    const QStringList unlockedLines = {"Wipeing file " + Text(unlocked),
                                       "File " + Text(unlocked) + " successfuly deleted "};
    QVERIFY2(lines.mid(2, 3) == QStringList(lockedLine) + unlockedLines ||
                 lines.mid(2, 3) == unlockedLines + QStringList(lockedLine),
             qPrintable(lines.join('\n')));
    QCOMPARE(lines[5], "* Error removing folder " + Text(folder));
    QCOMPARE(lines[6], "- End deleting the folder " + Text(folder));
    QVERIFY(IsTimeLine(lines[7]));
    QVERIFY(HoldsOnly(locked, 'L'));
    QVERIFY(!Exists(unlocked));
    QVERIFY(m_pFrame->isEnabled());
}

// Cancel stops the walk: the file in progress reports it, the folder stays, and the run ends
// with its error line instead of the end and time lines.
void CFrameRunsFolderTest::wipeFolderCancelledWritesItsErrorLine() {
    const QByteArray folder = PathOf("deep"), a = folder + "/a", b = folder + "/b";
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QVERIFY(MakeFile(a, 8 * 1024 * 1024));
    QVERIFY(MakeFile(b, 8 * 1024 * 1024));
    FilesInFlight() = 1;  // the Cancel lands in the first file's pass, before the second begins
    QString firstFile;
    QObject context;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (firstFile.isEmpty() && line.startsWith(QLatin1String("Wipeing file "))) {
            firstFile = line.mid(13);
            QTimer::singleShot(0, &context, [&] {
                QTest::mouseClick(m_pFrame->AbortDialog().findChild<QPushButton*>(
                                      QStringLiteral("abortCancelButton")),
                                  Qt::LeftButton);
            });
            MakeTheNextCheckLetEventsThrough();
        }
    });

    CFileDialog::SetNextDirectory(Text(folder));
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    Command("wipeFolder")->trigger();

    QVERIFY(firstFile == Text(a) || firstFile == Text(b));
    QCOMPARE(NewLogLines(),
             QStringList({"- Start deleteing files " + Text(folder) + kSimplePhrase,
                          "Wipeing folder " + Text(folder), "Wipeing file " + firstFile,
                          "* Process is aborted deleteing file " + firstFile +
                              ". This file is probably corupt now and cant be used normaly.",
                          "* Error deleting the folder " + Text(folder)}));
    QVERIFY(Exists(a) && Exists(b));
    const QByteArray other = firstFile == Text(a) ? b : a;
    QVERIFY(HoldsOnly(other, 'x'));
    QVERIFY(m_pFrame->isEnabled());
    QVERIFY(!m_pFrame->AbortDialog().isVisible());
}

// Three chosen files become three "File" rows, the last one returned on top; a path already in
// the list is refused with a line and the others are still added.
void CFrameRunsFolderTest::addFilesPutsTheLastOnTopAndRefusesDuplicates() {
    const QByteArray a = PathOf("a.txt"), b = PathOf("b.txt"), c = PathOf("c.txt"),
                     d = PathOf("d.txt");
    for (const QByteArray& path : {a, b, c, d}) {
        QVERIFY(MakeFile(path, 10));
    }
    CFileDialog::SetNextFiles({Text(a), Text(b), Text(c)});
    Command("addFiles")->trigger();
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({c, b, a}));
    for (int nRow = 0; nRow < 3; ++nRow) {
        QCOMPARE(View().GetItemText(nRow, 2), QStringLiteral("File"));
    }
    QCOMPARE(View().GetItemText(0, 0), QStringLiteral("c.txt"));
    QCOMPARE(NewLogLines(), QStringList());

    CFileDialog::SetNextFiles({Text(b), Text(d)});
    Command("addFiles")->trigger();
    QCOMPARE(NewLogLines(),
             QStringList({"* File " + Text(b) + " alredy exist in the list and wont be added"}));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({d, c, b, a}));
    QCOMPARE(CFileDialog::AskedCount(), 2);
}

// The names of one selection may together be far longer than 260 characters: all are added.
void CFrameRunsFolderTest::addFilesTakesSelectionsBeyond260Characters() {
    QStringList chosen;
    QList<QByteArray> expected;
    int nCharacters = 0;
    for (int k = 0; k < 40; ++k) {
        const QByteArray path = PathOf(
            QByteArray("a-rather-long-file-name-" + QByteArray::number(k) + ".dat").constData());
        QVERIFY(MakeFile(path, 1));
        chosen.append(Text(path));
        expected.prepend(path);
        nCharacters += path.size() + 1;
    }
    QVERIFY(nCharacters > 260 * 4);
    CFileDialog::SetNextFiles(chosen);
    Command("addFiles")->trigger();
    QCOMPARE(quorrel_test::RowPaths(View()), expected);
    QCOMPARE(NewLogLines(), QStringList());
}

// The same folder chosen twice: one "Folder" row, and the second time the line that says
// "File" although the entry is a folder.
void CFrameRunsFolderTest::addFolderRefusesTheSecondAndReachesOddNames() {
    const QByteArray folder = PathOf("docs");
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    CFileDialog::SetNextDirectory(Text(folder));
    Command("addFolder")->trigger();
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({folder}));
    QCOMPARE(View().GetItemText(0, 2), QStringLiteral("Folder"));
    QCOMPARE(NewLogLines(), QStringList());

    CFileDialog::SetNextDirectory(Text(folder));
    Command("addFolder")->trigger();
    QCOMPARE(NewLogLines(), QStringList({"* File " + Text(folder) +
                                         " alredy exist in the list and wont be added"}));
    QCOMPARE(View().GetItemCount(), 1);

    // The way to files whose names the file chooser cannot show (not valid UTF-8): their
    // folder, which WIPE All then destroys with them.
    const QByteArray odd = folder + "/\xff\xfe report";
    QVERIFY(MakeFile(odd, 4096));
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    Command("wipeAll")->trigger();
    QVERIFY(!Exists(odd) && !Exists(folder));
    QCOMPARE(View().GetItemCount(), 0);
}

// Cancel in either chooser: no row, no line, no message.
void CFrameRunsFolderTest::cancelledChoosersAddNothing() {
    CFileDialog::SetNextFiles(QStringList());
    Command("addFiles")->trigger();
    CFileDialog::SetNextDirectory(QString());
    Command("addFolder")->trigger();
    QCOMPARE(CFileDialog::AskedCount(), 2);
    QCOMPARE(View().GetItemCount(), 0);
    QCOMPARE(NewLogLines(), QStringList());
    QCOMPARE(CMessageBox::ShownTexts(), QStringList());
}

// The chooser starts at the home folder, then where the user last chose; a name typed into it
// that is no folder (missing, or a file) never reaches the list, and is said so in the log.
void CFrameRunsFolderTest::addFolderStartsWhereLastChosenAndTakesOnlyAFolder() {
    const QByteArray folder = PathOf("docs");
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QVERIFY(MakeFile(PathOf("plain.txt"), 10));
    const QByteArray missing = PathOf("docs/not-there");
    CFileDialog::SetNextDirectory(Text(folder));
    Command("addFolder")->trigger();
    QCOMPARE(CFileDialog::LastStartDirectory(), QDir::homePath());
    for (const QByteArray& wrong : {missing, PathOf("plain.txt")}) {
        CFileDialog::SetNextDirectory(Text(wrong));
        Command("addFolder")->trigger();
        QCOMPARE(CFileDialog::LastStartDirectory(), Text(folder));
    }
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({folder}));
    QCOMPARE(NewLogLines(),
             QStringList({"* " + Text(missing) + " is not a file system objekt",
                          "* " + Text(PathOf("plain.txt")) + " is not a file system objekt"}));
}

QTEST_MAIN(CFrameRunsFolderTest)
#include "frame_runs_folder_test.moc"

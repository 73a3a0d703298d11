// Start-up paths: the command-line text parser, argv tokens into the list, and the document.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "list/QuorrelDoc.h"
#include "list/QuorrelView.h"
#include "list/StartupPaths.h"

using quorrel::CQuorrelView;

namespace {

// Creates a file holding `content` at `path` (raw bytes: the name need not be UTF-8).
bool MakeFile(const QByteArray& path, const QByteArray& content = "data") {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool bWritten = ::write(fd, content.constData(), content.size()) == content.size();
    return ::close(fd) == 0 && bWritten;
}

bool MakeFolder(const QByteArray& path) {
    return ::mkdir(path.constData(), 0700) == 0;
}

}  // namespace

class CListCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void parseQuotedCommandLine_data();
    void parseQuotedCommandLine();
    void argvTokensKeepEveryArgument();
    void existingFileAndFolder();
    void missingAndDuplicateTokensAreSkipped();
    void relativeTokenShowsItsFullPath();
    void wildcardTokenTakesFirstMatchKind();
    void trailingSeparatorNamesTheFolderRootAndEmptyAreNotFound();
    void optionLikeNamesReachTheList();
    void nonUtf8NameKeptByteForByte();
    void documentHoldsNothing();

private:
    QByteArray Temp(const QByteArray& name) const;
    QList<QByteArray> Paths() const;

    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_pTemp;
    std::unique_ptr<CQuorrelView> m_pView;
    QString m_strStartDir;
};

void CListCommandLineTest::initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    m_strStartDir = QDir::currentPath();
}

void CListCommandLineTest::init() {
    m_pTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pTemp->isValid());
    m_pView = std::make_unique<CQuorrelView>();
}

void CListCommandLineTest::cleanup() {
    QDir::setCurrent(m_strStartDir);
    m_pView.reset();
    m_pTemp.reset();
}

QByteArray CListCommandLineTest::Temp(const QByteArray& name) const {
    return QFile::encodeName(m_pTemp->path()) + '/' + name;
}

QList<QByteArray> CListCommandLineTest::Paths() const {
    QList<QByteArray> paths;
    for (int nRow = 0; nRow < m_pView->GetItemCount(); ++nRow) {
        paths.append(m_pView->GetItemPath(nRow));
    }
    return paths;
}

void CListCommandLineTest::parseQuotedCommandLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("tokens");
    using Tokens = QList<QByteArray>;
    QTest::newRow("program only") << QByteArray("\"C:\\Quorrel\\Quorrel.exe\"") << Tokens{};
    QTest::newRow("file and folder")
        << QByteArray("\"C:\\Q\\Quorrel.exe\" \"C:\\a.txt\" \"C:\\Data\"")
        << Tokens{"C:\\a.txt", "C:\\Data"};
    QTest::newRow("unquoted argument ignored")
        << QByteArray("\"C:\\Q\\Quorrel.exe\" C:\\plain.txt \"C:\\b.txt\" tail")
        << Tokens{"C:\\b.txt"};
    // The program's own path unquoted: it ends at the first blank and the first quoted
    // argument is the user's, not taken for the program's path.
    QTest::newRow("program unquoted")
        << QByteArray("C:\\Q\\Quorrel.exe \"C:\\a.txt\" \"C:\\b.txt\"")
        << Tokens{"C:\\a.txt", "C:\\b.txt"};
    QTest::newRow("program unquoted with blank")
        << QByteArray("C:\\Program Files\\Q\\Quorrel.exe \"C:\\a.txt\"") << Tokens{"C:\\a.txt"};
    QTest::newRow("blanks before program")
        << QByteArray("  \"C:\\Q\\Quorrel.exe\"\t\"x\"") << Tokens{"x"};
    QTest::newRow("odd number of quotes")
        << QByteArray("\"C:\\Q.exe\" \"C:\\a.txt\" \"C:\\b.txt\" \"C:\\c.txt")
        << Tokens{"C:\\a.txt", "C:\\b.txt"};
    QTest::newRow("unpaired program quote") << QByteArray("\"C:\\Q.exe \"a\"") << Tokens{};
    QTest::newRow("empty quotes kept")
        << QByteArray("\"Q.exe\" \"\" \"C:\\x\"") << Tokens{"", "C:\\x"};
    QTest::newRow("adjacent pairs") << QByteArray("\"Q.exe\" \"a\"\"b\"") << Tokens{"a", "b"};
    QTest::newRow("spaces inside quotes")
        << QByteArray("\"Q.exe\" \"C:\\My Files\\a b.txt\"") << Tokens{"C:\\My Files\\a b.txt"};
    QTest::newRow("no quotes at all") << QByteArray("Quorrel.exe a.txt") << Tokens{};
    QTest::newRow("empty text") << QByteArray() << Tokens{};
}

void CListCommandLineTest::parseQuotedCommandLine() {
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, tokens);
    QCOMPARE(quorrel::ParseQuotedCommandLine(text), tokens);
}

void CListCommandLineTest::argvTokensKeepEveryArgument() {
    const char* argv[] = {"/usr/bin/quorrel", "-style", "--platform", "", "a b", "\xFF"};
    QCOMPARE(quorrel::ArgvTokens(6, argv),
             (QList<QByteArray>{"-style", "--platform", "", "a b", "\xFF"}));
    QCOMPARE(quorrel::ArgvTokens(1, argv), QList<QByteArray>{});
}

void CListCommandLineTest::existingFileAndFolder() {
    QVERIFY(MakeFile(Temp("report.txt")));
    QVERIFY(MakeFolder(Temp("Archive")));
    quorrel::AddStartupPaths(*m_pView, {Temp("report.txt"), Temp("Archive")});
    QCOMPARE(Paths(), (QList<QByteArray>{Temp("Archive"), Temp("report.txt")}));
    QCOMPARE(m_pView->GetItemText(0, 2), QStringLiteral("Folder"));
    QCOMPARE(m_pView->GetItemText(0, 0), QStringLiteral("Archive"));
    QCOMPARE(m_pView->GetItemText(1, 2), QStringLiteral("File"));
    QCOMPARE(m_pView->GetItemText(1, 0), QStringLiteral("report.txt"));
    // The last token ends on top.
    QVERIFY(MakeFile(Temp("c")));
    quorrel::AddStartupPaths(*m_pView, {Temp("c")});
    QCOMPARE(m_pView->GetItemPath(0), Temp("c"));
    // A link is a file entry, even when it points at a folder: it is never followed.
    QVERIFY(::symlink(Temp("Archive").constData(), Temp("link").constData()) == 0);
    quorrel::AddStartupPaths(*m_pView, {Temp("link")});
    QCOMPARE(m_pView->GetItemText(0, 2), QStringLiteral("File"));
}

void CListCommandLineTest::missingAndDuplicateTokensAreSkipped() {
    QVERIFY(MakeFile(Temp("one")));
    quorrel::AddStartupPaths(
        *m_pView, {Temp("missing"), Temp("one"), Temp("one"), Temp("missing/deeper"), Temp("ONE")});
    QCOMPARE(Paths(), QList<QByteArray>{Temp("one")});
    // Reading the command line again adds back only what is no longer in the list.
    QVERIFY(MakeFile(Temp("two")));
    m_pView->AddEntry(Temp("two"), quorrel::ItemKind::File);
    m_pView->DeleteItem(1);  // "one"
    quorrel::AddStartupPaths(*m_pView, {Temp("one"), Temp("two")});
    QCOMPARE(Paths(), (QList<QByteArray>{Temp("one"), Temp("two")}));
}

// A relative path is shown as the full path it names; its Name stays the last part. ".." is
// kept as written, since read by name it could lead elsewhere through a link.
void CListCommandLineTest::relativeTokenShowsItsFullPath() {
    QVERIFY(MakeFolder(Temp("sub")));
    QVERIFY(MakeFile(Temp("sub/notes.txt")));
    QVERIFY(QDir::setCurrent(m_pTemp->path()));
    const QByteArray cwd = QFile::encodeName(QDir::currentPath());
    quorrel::AddStartupPaths(*m_pView, {"sub/notes.txt", "./sub", "nothing.txt", "sub/../sub"});
    QCOMPARE(Paths(),
             (QList<QByteArray>{cwd + "/sub/../sub", cwd + "/sub", cwd + "/sub/notes.txt"}));
    QCOMPARE(m_pView->GetItemText(2, 1), QString::fromUtf8(cwd + "/sub/notes.txt"));
    QCOMPARE(m_pView->GetItemText(1, 2), QStringLiteral("Folder"));
    QCOMPARE(m_pView->GetItemText(2, 0), QStringLiteral("notes.txt"));
    // The same entry written in full is the same entry.
    quorrel::AddStartupPaths(*m_pView, {cwd + "/sub/notes.txt"});
    QCOMPARE(m_pView->GetItemCount(), 3);
}

void CListCommandLineTest::wildcardTokenTakesFirstMatchKind() {
    QVERIFY(MakeFolder(Temp("xfolder")));
    QVERIFY(MakeFile(Temp("only.dat")));
    quorrel::AddStartupPaths(*m_pView,
                             {Temp("x*"), Temp("*.dat"), Temp("*.none"), Temp("only.da?")});
    QCOMPARE(Paths(), (QList<QByteArray>{Temp("only.da?"), Temp("*.dat"), Temp("x*")}));
    QCOMPARE(m_pView->GetItemText(2, 2), QStringLiteral("Folder"));
    QCOMPARE(m_pView->GetItemText(2, 0), QStringLiteral("x*"));
    QCOMPARE(m_pView->GetItemText(1, 2), QStringLiteral("File"));
    QCOMPARE(m_pView->GetItemText(0, 2), QStringLiteral("File"));
}

// A folder spelt with a trailing separator (as tab completion types it) is that folder, as
// for a run; a file spelt that way, the root and an empty path are not found.
void CListCommandLineTest::trailingSeparatorNamesTheFolderRootAndEmptyAreNotFound() {
    QVERIFY(MakeFolder(Temp("folder")));
    QVERIFY(MakeFile(Temp("file.txt")));
    quorrel::AddStartupPaths(*m_pView, {Temp("folder/"), Temp("file.txt/"), "/", ""});
    QCOMPARE(Paths(), QList<QByteArray>{Temp("folder/")});
    QCOMPARE(m_pView->GetItemText(0, 2), QStringLiteral("Folder"));
}

void CListCommandLineTest::optionLikeNamesReachTheList() {
    QVERIFY(MakeFile(Temp("-style")));
    QVERIFY(MakeFile(Temp("--platform")));
    QVERIFY(QDir::setCurrent(m_pTemp->path()));
    const char* argv[] = {"quorrel", "-style", "--platform", "-reverse"};
    quorrel::AddStartupPaths(*m_pView, quorrel::ArgvTokens(4, argv));
    const QByteArray cwd = QFile::encodeName(QDir::currentPath());
    QCOMPARE(Paths(), (QList<QByteArray>{cwd + "/--platform", cwd + "/-style"}));
    QCOMPARE(m_pView->GetItemText(1, 0), QStringLiteral("-style"));
}

void CListCommandLineTest::nonUtf8NameKeptByteForByte() {
    const QByteArray name("r\xE9sum\xE9.txt");
    QVERIFY(MakeFile(Temp(name)));
    const char* argv[] = {"quorrel", nullptr};
    const QByteArray path = Temp(name);
    argv[1] = path.constData();
    quorrel::AddStartupPaths(*m_pView, quorrel::ArgvTokens(2, argv));
    QCOMPARE(m_pView->GetItemCount(), 1);
    QCOMPARE(m_pView->GetItemPath(0), path);
    QCOMPARE(m_pView->GetItemText(0, 0), QStringLiteral("r\\xE9sum\\xE9.txt"));
    struct stat st {};
    QCOMPARE(::lstat(m_pView->GetItemPath(0).constData(), &st), 0);
}

void CListCommandLineTest::documentHoldsNothing() {
    quorrel::CQuorrelDoc doc;
    const QString title("File and folder removal tool.");
    QCOMPARE(doc.GetTitle(), title);
    QVERIFY(doc.OnNewDocument());
    doc.SetTitle("Untitled");
    QCOMPARE(doc.GetTitle(), title);
    doc.SetTitle("E kako ne...");
    QCOMPARE(doc.GetTitle(), title);
    QVERIFY(!doc.IsModified());

    // Opening reads nothing and touches nothing, whether the path exists or not.
    QVERIFY(MakeFile(Temp("kept.txt"), "contents"));
    struct stat before {};
    QCOMPARE(::stat(Temp("kept.txt").constData(), &before), 0);
    QVERIFY(doc.OnOpenDocument(QFile::decodeName(Temp("kept.txt"))));
    QVERIFY(doc.OnOpenDocument(QFile::decodeName(Temp("E kako ne..."))));
    QVERIFY(!QFile::exists(QFile::decodeName(Temp("E kako ne..."))));
    struct stat after {};
    QCOMPARE(::stat(Temp("kept.txt").constData(), &after), 0);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QCOMPARE(doc.GetTitle(), title);

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::ReadWrite));
    QDataStream archive(&buffer);
    doc.Serialize(archive);
    QCOMPARE(buffer.size(), 0);
}

QTEST_MAIN(CListCommandLineTest)
#include "list_commandline_test.moc"

// WIPE Recycle Bin from the window, over trash folders in a temporary home and two "mounted"
// folders put in place of the system's bins: the question that names each bin, the run
// protocol, entries overwritten then emptied, and Cancel through the Abort dialog in the second
// of three bins.
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <functional>

#include "platform/posix/FreedesktopTrash.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/OutputBar.h"
#include "shell/RecycleBinSource.h"
#include "tests/gui/gui_test_support.h"

using namespace quorrel;

namespace {

const QString kAbortLine =
    QStringLiteral("* Shredding recycle bin is aborted. Some files may be corupt when restored.");

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Trashes `name` with `content` the way a file manager does.
void PutInTrash(const QString& trash, const QString& name, const QByteArray& content) {
    QVERIFY(QDir().mkpath(trash + QStringLiteral("/files")));
    QVERIFY(QDir().mkpath(trash + QStringLiteral("/info")));
    QFile file(trash + QStringLiteral("/files/") + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    QFile info(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write("[Trash Info]\nPath=/x\nDeletionDate=2024-01-01T00:00:00\n");
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class CFrameRunsRecycleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void asksFirstNamingEachBinAndNoChangesNothing();
    void shredsEveryBinOnYesThenEmptiesIt();
    void cancelInTheSecondOfThreeBins();

private:
    QStringList NewLogLines() const;
    // Calls `onLine` for every line the log gets from now on, from inside the run.
    void WatchLog(std::function<void(const QString&)> onLine);
    QString Trash(const char* where) const;

    QTemporaryDir m_config;
    QTemporaryDir m_root;
    CTrashFacts m_facts;
    std::unique_ptr<CTrashBins> m_pBins;
    std::unique_ptr<CMainFrame> m_pFrame;
    QMetaObject::Connection m_watch;
    int m_nLogStart = 0;
};

void CFrameRunsRecycleTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    QVERIFY(m_root.isValid());
    m_pBins = std::make_unique<CTrashBins>([this] { return m_facts; });
    SetRecycleBinsForRuns(m_pBins.get());
}

void CFrameRunsRecycleTest::cleanupTestCase() {
    SetRecycleBinsForRuns(nullptr);
}

void CFrameRunsRecycleTest::init() {
    quorrel_test::ClearProfile(m_config);
    WipeMethod() = 0;
    const QString root = m_root.path();
    QVERIFY(QDir().mkpath(root + QStringLiteral("/home/.local/share")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/vol1")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/vol2")));
    m_facts = CTrashFacts{};
    m_facts.m_strHome = QFile::encodeName(root + QStringLiteral("/home")).toStdString();
    m_facts.m_nUid = ::getuid();
    for (const char* vol : {"/vol1", "/vol2"}) {
        CMountEntry mount{"/dev/loop7", QFile::encodeName(root + QLatin1String(vol)).toStdString(),
                          "ext4", "rw"};
        m_facts.m_mounts.push_back(mount);
    }
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
    m_nLogStart = m_pFrame->OutputBar().LogList().count();
}

void CFrameRunsRecycleTest::cleanup() {
    QObject::disconnect(m_watch);
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    // A run never shows a box: the one question comes before it.
    QVERIFY(CMessageBox::ShownTexts().size() <= 1);
    CMessageBox::ClearShown();
    QDir(m_root.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_root.path()));
}

QString CFrameRunsRecycleTest::Trash(const char* where) const {
    if (QLatin1String(where) == QLatin1String("home")) {
        return m_root.path() + QStringLiteral("/home/.local/share/Trash");
    }
    return m_root.path() + QLatin1Char('/') + QLatin1String(where) + QStringLiteral("/.Trash-") +
           QString::number(::getuid());
}

QStringList CFrameRunsRecycleTest::NewLogLines() const {
    const QListWidget& log = m_pFrame->OutputBar().LogList();
    QStringList lines;
    for (int nRow = m_nLogStart; nRow < log.count(); ++nRow) {
        lines.append(log.item(nRow)->text());
    }
    return lines;
}

void CFrameRunsRecycleTest::WatchLog(std::function<void(const QString&)> onLine) {
    QAbstractItemModel* pModel = m_pFrame->OutputBar().LogList().model();
    m_watch = QObject::connect(pModel, &QAbstractItemModel::rowsInserted,
                               [pModel, onLine](const QModelIndex&, int nFirst, int nLast) {
                                   for (int nRow = nFirst; nRow <= nLast; ++nRow) {
                                       onLine(pModel->index(nRow, 0).data().toString());
                                   }
                               });
}

// The question comes first, with No as the default, and names every bin that exists with its
// entries (the bin's own bookkeeping left out) and their bytes, folders counted to the bottom.
void CFrameRunsRecycleTest::asksFirstNamingEachBinAndNoChangesNothing() {
    PutInTrash(Trash("home"), QStringLiteral("diary.txt"), QByteArray(1000, 'd'));
    PutInTrash(Trash("home"), QStringLiteral("notes"), "12345");
    QVERIFY(QDir().mkpath(Trash("home") + QStringLiteral("/files/album/2024")));
    QFile photo(Trash("home") + QStringLiteral("/files/album/2024/p.jpg"));
    QVERIFY(photo.open(QIODevice::WriteOnly) && photo.write(QByteArray(2000, 'p')) == 2000);
    photo.close();
    PutInTrash(Trash("vol1"), QStringLiteral("scan.pdf"), QByteArray(3 * 1024 * 1024, 's'));
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    m_pFrame->Action(ID_WIPE_RECYCLE_BIN)->trigger();

    const QStringList asked = CMessageBox::ShownTexts();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(CMessageBox::ShownDefaults(), QList<int>{CMessageBox::IdNo});
    const QStringList lines = asked[0].split(QLatin1Char('\n'));
    QVERIFY2(lines[0].startsWith(QStringLiteral("Are you sure")), qPrintable(asked[0]));
    QVERIFY2(lines.contains(Trash("home") + QStringLiteral("/files/: 3 entries, 2.9 KiB")),
             qPrintable(asked[0]));
    QVERIFY2(lines.contains(Trash("vol1") + QStringLiteral("/files/: 1 entry, 3.0 MiB")),
             qPrintable(asked[0]));
    QVERIFY2(!asked[0].contains(Trash("vol2")), qPrintable(asked[0]));  // it has no bin
    QCOMPARE(NewLogLines(), QStringList());
    QCOMPARE(Read(Trash("home") + QStringLiteral("/files/diary.txt")), QByteArray(1000, 'd'));
    QCOMPARE(Entries(Trash("vol1") + QStringLiteral("/info")),
             QStringList{QStringLiteral("scan.pdf.trashinfo")});
}

void CFrameRunsRecycleTest::shredsEveryBinOnYesThenEmptiesIt() {
    PutInTrash(Trash("home"), QStringLiteral("diary.txt"), "dear diary");
    PutInTrash(Trash("vol1"), QStringLiteral("scan.pdf"), QByteArray(5000, 's'));
    bool bDisabledDuringRun = false;
    bool bDialogShown = false;
    WatchLog([&](const QString& line) {
        if (line.startsWith(QStringLiteral("Shredding resycle bin file "))) {
            bDisabledDuringRun = !m_pFrame->isEnabled();
            bDialogShown = m_pFrame->AbortDialog().isVisible();
        }
    });
    QAction* pAction = m_pFrame->findChild<QAction*>(QStringLiteral("wipeRecycleBin"));
    QVERIFY(pAction);
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    pAction->trigger();

    const QString home = Trash("home") + QStringLiteral("/files/diary.txt");
    const QString vol1 = Trash("vol1") + QStringLiteral("/files/scan.pdf");
    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], QStringLiteral("- Start shredding recycle bin."));
    QCOMPARE(lines[1], QStringLiteral("Shredding resycle bin file ") + home);
    QCOMPARE(lines[2], QStringLiteral("File ") + home +
                           QStringLiteral(" successfuly shreded frm recykle bin "));
    QCOMPARE(lines[3], QStringLiteral("Shredding resycle bin file ") + vol1);
    QCOMPARE(lines[5], QStringLiteral("* Error: Could not access ") + Trash("vol2") +
                           QStringLiteral("/files/"));
    QVERIFY(
        QRegularExpression(QStringLiteral("^- Time: \\d+ seconds\\.$")).match(lines[6]).hasMatch());
    QVERIFY(bDisabledDuringRun);
    QVERIFY(bDialogShown);
    QVERIFY(m_pFrame->isEnabled());
    QVERIFY(!m_pFrame->AbortDialog().isVisible());
    for (const char* where : {"home", "vol1"}) {
        QCOMPARE(Entries(Trash(where) + QStringLiteral("/files")), QStringList());
        QCOMPARE(Entries(Trash(where) + QStringLiteral("/info")), QStringList());
    }
}

void CFrameRunsRecycleTest::cancelInTheSecondOfThreeBins() {
    PutInTrash(Trash("home"), QStringLiteral("one"), "1");
    PutInTrash(Trash("vol1"), QStringLiteral("big"), QByteArray(4 * 1024 * 1024, 'b'));
    PutInTrash(Trash("vol2"), QStringLiteral("three"), "333");
    WipeMethod() = 3;  // thirty passes: long enough to be cancelled in the middle
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    WatchLog([this](const QString& line) {
        if (line.startsWith(QStringLiteral("Shredding resycle bin file ") + Trash("vol1"))) {
            QTimer::singleShot(0, [this] {
                QPushButton* pCancel = m_pFrame->AbortDialog().findChild<QPushButton*>(
                    QStringLiteral("abortCancelButton"));
                QVERIFY(pCancel);
                pCancel->click();
            });
        }
    });
    m_pFrame->Action(ID_WIPE_RECYCLE_BIN)->trigger();

    const QStringList lines = NewLogLines();
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines[lines.size() - 2], kAbortLine);
    for (const QString& line : lines) {
        QVERIFY2(!line.contains(Trash("vol2")), qPrintable(line));
    }
    // nothing more is emptied: the entry in progress stays, at its full length
    QCOMPARE(Entries(Trash("vol1") + QStringLiteral("/files")), QStringList{QStringLiteral("big")});
    QCOMPARE(Read(Trash("vol1") + QStringLiteral("/files/big")).size(), qsizetype{4 * 1024 * 1024});
    QCOMPARE(Entries(Trash("vol1") + QStringLiteral("/info")),
             QStringList{QStringLiteral("big.trashinfo")});
    QCOMPARE(Read(Trash("vol2") + QStringLiteral("/files/three")), QByteArray("333"));
    QCOMPARE(Entries(Trash("vol2") + QStringLiteral("/info")),
             QStringList{QStringLiteral("three.trashinfo")});
    QVERIFY(m_pFrame->isEnabled());
}

QTEST_MAIN(CFrameRunsRecycleTest)
#include "frame_runs_recycle_test.moc"

// The list view as the shredding runs see it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "engine/log/RunHost.h"
#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "list/QuorrelView.h"
#include "list/ViewWipeList.h"
#include "platform/FileSystem.h"

using quorrel::CQuorrelView;
using quorrel::CViewWipeList;
using quorrel::ItemKind;

namespace {

// Keeps the log lines; never aborts.
class CRecordingHost : public quorrel::IRunHost {
public:
    std::vector<std::string> m_lines;
    void AddLine(const std::string& line) override { m_lines.push_back(line); }
    bool IsAborted() override { return false; }
};

bool MakeFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool bWritten = ::write(fd, "secret", 6) == 6;
    return ::close(fd) == 0 && bWritten;
}

bool Exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

class CListWipeListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void adapterMapsOntoTheView();
    void listRunDeletesDestroyedRowsOnly();
    void heldRemovalsLeaveTheViewInFewSteps();

private:
    QTemporaryDir m_config;
};

void CListWipeListTest::initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void CListWipeListTest::adapterMapsOntoTheView() {
    CQuorrelView view;
    CViewWipeList list(view);
    QCOMPARE(list.GetItemCount(), 0);
    QCOMPARE(list.GetNextSelected(-1), -1);
    const QByteArray odd("/tmp/\xFF\xFE/x");
    view.AddEntry("/tmp/b", ItemKind::File);
    view.AddEntry(odd, ItemKind::Folder);
    view.AddEntry("/tmp/a", ItemKind::File);
    QCOMPARE(list.GetItemCount(), 3);
    QCOMPARE(list.GetItemPath(1), std::string("/tmp/\xFF\xFE/x"));
    QCOMPARE(list.GetItemPath(7), std::string());
    list.SetSelected(1, true);
    list.SetSelected(2, true);
    QCOMPARE(view.GetSelectedCount(), 2);
    QCOMPARE(list.GetNextSelected(-1), 1);
    QCOMPARE(list.GetNextSelected(1), 2);
    list.SetSelected(1, false);
    QCOMPARE(list.GetNextSelected(-1), 2);
    list.DeleteItem(0);
    QCOMPARE(list.GetItemCount(), 2);
    QCOMPARE(view.GetItemPath(0), odd);
    QCOMPARE(list.GetNextSelected(-1), 1);
    list.SetSelected(0, true);
    list.SetSelected(1, true);
    QCOMPARE(view.GetSelectedCount(), 2);
}

void CListWipeListTest::listRunDeletesDestroyedRowsOnly() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray folder = QFile::encodeName(temp.path());
    const QByteArray kept = folder + "/kept.txt";
    const QByteArray doomed = folder + "/doomed-\xE9.txt";
    const QByteArray gone = folder + "/never-there.txt";
    QVERIFY(MakeFile(kept));
    QVERIFY(MakeFile(doomed));

    CQuorrelView view;
    view.AddEntry(kept, ItemKind::File);
    view.AddEntry(gone, ItemKind::File);
    view.AddEntry(doomed, ItemKind::File);
    view.SetItemSelected(0, true);  // doomed
    view.SetItemSelected(1, true);  // never there

    CRecordingHost host;
    quorrel::CWipeEngine engine(quorrel::SystemFileSystem(), host);
    CViewWipeList list(view);
    QVERIFY(quorrel::RunWipeSelected(engine, list));

    QVERIFY(!Exists(doomed));
    QVERIFY(Exists(kept));
    // The destroyed entry left the list; the one that failed stays, deselected.
    QCOMPARE(view.GetItemCount(), 2);
    QCOMPARE(view.GetItemPath(0), gone);
    QCOMPARE(view.GetItemPath(1), kept);
    QCOMPARE(view.GetSelectedCount(), 0);
    QVERIFY(!view.ContainsPath(doomed));
    QVERIFY(view.ContainsPath(gone));
}

// While a run holds removals the rows are gone for the run at once but leave the view a batch
// at a time; a failed row between destroyed ones splits the batch.
void CListWipeListTest::heldRemovalsLeaveTheViewInFewSteps() {
    CQuorrelView view;
    for (int k = 0; k < 1000; ++k) {
        view.AddEntry("/r" + QByteArray::number(k), ItemKind::File);  // /r999 on top
    }
    view.SelectAllItems();
    int nRemovals = 0;
    QObject context;
    connect(view.model(), &QAbstractItemModel::rowsRemoved, &context,
            [&nRemovals] { ++nRemovals; });
    CViewWipeList list(view);
    list.HoldRemovals();
    for (int k = 0; k < 400; ++k) {
        list.DeleteItem(list.GetNextSelected(-1));
    }
    QCOMPARE(list.GetItemCount(), 600);
    QCOMPARE(list.GetItemPath(0), std::string("/r599"));
    list.SetSelected(0, false);  // /r599 failed
    QCOMPARE(list.GetNextSelected(0), 1);
    list.DeleteItem(1);  // /r598
    QCOMPARE(list.GetItemPath(1), std::string("/r597"));
    QCOMPARE(list.GetNextSelected(-1), 1);
    list.FinishRemovals();
    QCOMPARE(view.GetItemCount(), 599);
    QCOMPARE(view.GetItemPath(0), QByteArray("/r599"));
    QCOMPARE(view.GetItemPath(1), QByteArray("/r597"));
    QCOMPARE(view.GetSelectedCount(), 598);
    QVERIFY2(nRemovals >= 2 && nRemovals < 40, qPrintable(QString::number(nRemovals)));
    list.DeleteItem(0);  // no longer held
    QCOMPARE(view.GetItemCount(), 598);
}

QTEST_MAIN(CListWipeListTest)
#include "list_wipelist_test.moc"

// The file list's rows: order, identity, names, bytes, selection and change notices.
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "list/FileListModel.h"
#include "list/PathText.h"
#include "list/QuorrelView.h"
#include "list/RowImages.h"

using quorrel::CFileListModel;
using quorrel::CQuorrelView;
using quorrel::ItemKind;

class CListViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void columnsAndStyles();
    void rowImagesKeepTheirOrder();
    void newRowsGoOnTop();
    void identityIsExactAndCaseSensitive();
    void duplicateIndexCountsRows();
    void nameColumn_data();
    void nameColumn();
    void nonUtf8PathKeptByteForByte();
    void displayPath_data();
    void displayPath();
    void selectionOperations();
    void deletingNonAdjacentRowsKeepsOrder();
    void listChangedOnRowsAndSelection();
    void gridAndSelectionArePainted();

private:
    void AddPaths(const QList<QByteArray>& paths);
    QList<QByteArray> Paths() const;

    QTemporaryDir m_config;
    std::unique_ptr<CQuorrelView> m_pView;
};

void CListViewTest::initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void CListViewTest::init() {
    m_pView = std::make_unique<CQuorrelView>();
    m_pView->resize(720, 300);
}

void CListViewTest::cleanup() {
    m_pView.reset();
}

void CListViewTest::AddPaths(const QList<QByteArray>& paths) {
    for (const QByteArray& path : paths) {
        m_pView->AddEntry(path, ItemKind::File);
    }
}

QList<QByteArray> CListViewTest::Paths() const {
    QList<QByteArray> paths;
    for (int nRow = 0; nRow < m_pView->GetItemCount(); ++nRow) {
        paths.append(m_pView->GetItemPath(nRow));
    }
    return paths;
}

void CListViewTest::columnsAndStyles() {
    QAbstractItemModel* pModel = m_pView->model();
    QHeaderView* pHeader = m_pView->header();
    QCOMPARE(pModel->columnCount(), 3);
    const QStringList titles{"Name", "Path", "Type"};
    const int widths[] = {180, 400, 100};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight};
    m_pView->AddEntry("/tmp/x", ItemKind::File);
    for (int nColumn = 0; nColumn < 3; ++nColumn) {
        QCOMPARE(pModel->headerData(nColumn, Qt::Horizontal).toString(), titles[nColumn]);
        QCOMPARE(pHeader->sectionSize(nColumn), widths[nColumn]);
        const auto header = Qt::Alignment(
            pModel->headerData(nColumn, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        const auto cell =
            Qt::Alignment(pModel->index(0, nColumn).data(Qt::TextAlignmentRole).toInt());
        QCOMPARE(header & Qt::AlignHorizontal_Mask, alignments[nColumn]);
        QCOMPARE(cell & Qt::AlignHorizontal_Mask, alignments[nColumn]);
    }
    QCOMPARE(m_pView->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(m_pView->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(m_pView->allColumnsShowFocus());
    QVERIFY(!m_pView->rootIsDecorated());
    QVERIFY(!m_pView->isSortingEnabled());
    QCOMPARE(m_pView->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!m_pView->objectName().isEmpty());
    QVERIFY(!pHeader->objectName().isEmpty());
}

void CListViewTest::rowImagesKeepTheirOrder() {
    const QList<QIcon> images = quorrel::CreateRowImages();
    QCOMPARE(images.size(), 2);
    const QImage file = images[0].pixmap(16, 16).toImage();
    const QImage folder = images[1].pixmap(16, 16).toImage();
    QCOMPARE(file.size(), QSize(16, 16));
    QVERIFY(file != folder);
    // The file is a white page; the folder is yellow.
    QCOMPARE(QColor(file.pixel(6, 3)), QColor(Qt::white));
    const QColor body(folder.pixel(7, 10));
    QVERIFY(body.red() > 200 && body.green() > 150 && body.blue() < 150);

    m_pView->AddEntry("/tmp/a-file", ItemKind::File);
    m_pView->AddEntry("/tmp/a-folder", ItemKind::Folder);
    const auto shown = [this](int nRow) {
        const QModelIndex index = m_pView->model()->index(nRow, 0);
        return qvariant_cast<QIcon>(index.data(Qt::DecorationRole)).pixmap(16, 16).toImage();
    };
    QCOMPARE(shown(0), folder);
    QCOMPARE(shown(1), file);
    QVERIFY(m_pView->model()->index(0, 1).data(Qt::DecorationRole).isNull());
}

void CListViewTest::newRowsGoOnTop() {
    AddPaths({"A", "B", "C"});
    QCOMPARE(Paths(), (QList<QByteArray>{"C", "B", "A"}));
    QCOMPARE(m_pView->GetItemCount(), 3);
    QCOMPARE(m_pView->GetItemText(0, 1), QStringLiteral("C"));
    QCOMPARE(m_pView->GetItemText(2, 2), QStringLiteral("File"));
    m_pView->AddEntry("D", ItemKind::Folder);
    QCOMPARE(m_pView->GetItemText(0, 2), QStringLiteral("Folder"));
    QCOMPARE(m_pView->GetItemText(1, 2), QStringLiteral("File"));
    QCOMPARE(m_pView->GetItemText(9, 1), QString());
    QCOMPARE(m_pView->GetItemPath(-1), QByteArray());
}

void CListViewTest::identityIsExactAndCaseSensitive() {
    QVERIFY(!m_pView->ContainsPath("/tmp/X/A.TXT"));
    m_pView->AddEntry("/tmp/X/A.TXT", ItemKind::File);
    QVERIFY(m_pView->ContainsPath("/tmp/X/A.TXT"));
    // The callers' rule: ask first, add only what is not there.
    for (const QByteArray& path : {QByteArray("/tmp/X/a.txt"), QByteArray("/tmp/X/A.TXT"),
                                   QByteArray("/tmp/X/A.TXT/"), QByteArray("/tmp//X/A.TXT")}) {
        if (!m_pView->ContainsPath(path)) {
            m_pView->AddEntry(path, ItemKind::File);
        }
    }
    QCOMPARE(Paths(),
             (QList<QByteArray>{"/tmp//X/A.TXT", "/tmp/X/A.TXT/", "/tmp/X/a.txt", "/tmp/X/A.TXT"}));
    QVERIFY(!m_pView->ContainsPath("/tmp/X/A.TX"));
    QVERIFY(!m_pView->ContainsPath(QByteArray("/tmp/X/A.TXT\0", 13)));
    QVERIFY(!m_pView->ContainsPath(QByteArray()));
}

void CListViewTest::duplicateIndexCountsRows() {
    // AddEntry itself does not refuse duplicates; the index must count both rows so that
    // removing one still finds the other.
    AddPaths({"/p/one", "/p/two", "/p/one"});
    m_pView->DeleteItem(0);
    QVERIFY(m_pView->ContainsPath("/p/one"));
    m_pView->DeleteItem(1);
    QVERIFY(!m_pView->ContainsPath("/p/one"));
    QVERIFY(m_pView->ContainsPath("/p/two"));
    m_pView->DeleteItem(5);  // no such row: nothing happens
    QCOMPARE(m_pView->GetItemCount(), 1);
    m_pView->DeleteAllItems();
    QCOMPARE(m_pView->GetItemCount(), 0);
    QVERIFY(!m_pView->ContainsPath("/p/two"));
    m_pView->AddEntry("/p/two", ItemKind::File);
    QVERIFY(m_pView->ContainsPath("/p/two"));
}

void CListViewTest::nameColumn_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("file in folder") << QByteArray("/home/u/report.txt") << "report.txt";
    QTest::newRow("ends in separator") << QByteArray("/home/u/folder/") << "";
    QTest::newRow("root") << QByteArray("/") << "";
    QTest::newRow("no separator") << QByteArray("notes.txt") << "notes.txt";
    QTest::newRow("pattern") << QByteArray("/tmp/*.log") << "*.log";
    // On Linux a backslash is part of a name, not a separator.
    QTest::newRow("backslash") << QByteArray("/tmp/a\\b.txt") << "a\\b.txt";
}

void CListViewTest::nameColumn() {
    QFETCH(QByteArray, path);
    QFETCH(QString, name);
    m_pView->AddEntry(path, ItemKind::File);
    QCOMPARE(m_pView->GetItemText(0, 0), name);
    QCOMPARE(m_pView->GetItemText(0, 1), QString::fromUtf8(path));
    QCOMPARE(m_pView->model()->index(0, 0).data().toString(), name);
}

void CListViewTest::nonUtf8PathKeptByteForByte() {
    const QByteArray latin1("/tmp/caf\xE9/r\xE9sum\xE9.txt");
    const QByteArray utf8("/tmp/caf\xC3\xA9/r\xC3\xA9sum\xC3\xA9.txt");
    m_pView->AddEntry(latin1, ItemKind::File);
    QVERIFY(m_pView->ContainsPath(latin1));
    QVERIFY(!m_pView->ContainsPath(utf8));  // the same text decoded, not the same file
    m_pView->AddEntry(utf8, ItemKind::File);
    QCOMPARE(m_pView->GetItemPath(1), latin1);
    QCOMPARE(m_pView->GetItemPath(0), utf8);
    QCOMPARE(m_pView->GetItemText(1, 1), QStringLiteral("/tmp/caf\\xE9/r\\xE9sum\\xE9.txt"));
    QCOMPARE(m_pView->GetItemText(1, 0), QStringLiteral("r\\xE9sum\\xE9.txt"));
    QCOMPARE(m_pView->GetItemText(0, 1), QStringLiteral(u"/tmp/café/résumé.txt"));
    QCOMPARE(m_pView->model()->index(1, 2).data(CFileListModel::kPathRole).toByteArray(), latin1);
}

void CListViewTest::displayPath_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ascii") << QByteArray("/a/b c.txt") << QStringLiteral("/a/b c.txt");
    QTest::newRow("two-byte") << QByteArray("\xC3\xA9") << QStringLiteral(u"é");
    QTest::newRow("three-byte") << QByteArray("\xE2\x82\xAC") << QStringLiteral(u"€");
    QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << QStringLiteral(u"😀");
    QTest::newRow("lone byte") << QByteArray(
                                      "a\xFF"
                                      "b")
                               << QStringLiteral("a\\xFFb");
    QTest::newRow("stray continuation") << QByteArray("\x80") << QStringLiteral("\\x80");
    QTest::newRow("truncated") << QByteArray("x\xE2\x82") << QStringLiteral("x\\xE2\\x82");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QStringLiteral("\\xC0\\xAF");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QStringLiteral("\\xED\\xA0\\x80");
    QTest::newRow("beyond unicode")
        << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("\\xF4\\x90\\x80\\x80");
    QTest::newRow("line feed") << QByteArray("a\nb") << QStringLiteral("a\\x0Ab");
    QTest::newRow("empty") << QByteArray() << QString();
}

void CListViewTest::displayPath() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(quorrel::DisplayPath(bytes), shown);
}

void CListViewTest::selectionOperations() {
    AddPaths({"r4", "r3", "r2", "r1", "r0"});
    QCOMPARE(m_pView->GetSelectedCount(), 0);
    QCOMPARE(m_pView->GetNextItem(-1), -1);
    m_pView->SetItemSelected(1, true);
    m_pView->SetItemSelected(3, true);
    m_pView->SetItemSelected(4, true);
    QCOMPARE(m_pView->GetSelectedCount(), 3);
    QCOMPARE(m_pView->GetNextItem(-1), 1);
    QCOMPARE(m_pView->GetNextItem(1), 3);
    QCOMPARE(m_pView->GetNextItem(3), 4);
    QCOMPARE(m_pView->GetNextItem(4), -1);
    QCOMPARE(m_pView->GetNextItem(0), 1);
    m_pView->SetItemSelected(3, false);
    QCOMPARE(m_pView->GetSelectedCount(), 2);
    QCOMPARE(m_pView->GetNextItem(1), 4);
    m_pView->SetItemSelected(7, true);  // no such row
    QCOMPARE(m_pView->GetSelectedCount(), 2);

    // Select All keeps the selected rows and does not move the focus row.
    m_pView->setCurrentIndex(m_pView->model()->index(2, 0));
    m_pView->SetItemSelected(2, false);
    m_pView->SelectAllItems();
    QCOMPARE(m_pView->GetSelectedCount(), 5);
    QCOMPARE(m_pView->currentIndex().row(), 2);
    // A row taken out of a selected block leaves the rows on both sides selected.
    m_pView->SetItemSelected(2, false);
    QCOMPARE(m_pView->GetSelectedCount(), 4);
    QCOMPARE(m_pView->GetNextItem(1), 3);
    // A new row on top arrives unselected and the selection stays on its rows.
    m_pView->AddEntry("new", ItemKind::File);
    QCOMPARE(m_pView->GetNextItem(-1), 1);
    QCOMPARE(m_pView->GetItemPath(m_pView->GetNextItem(-1)), QByteArray("r0"));
    QCOMPARE(m_pView->GetSelectedCount(), 4);

    // The user's own clicks count the same way: a click, then Ctrl+click on another row.
    m_pView->DeleteAllItems();
    QCOMPARE(m_pView->GetSelectedCount(), 0);
    AddPaths({"c", "b", "a"});
    m_pView->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
    QWidget* pViewport = m_pView->viewport();
    const auto rowPoint = [this](int nRow) {
        return m_pView->visualRect(m_pView->model()->index(nRow, 1)).center();
    };
    QTest::mouseClick(pViewport, Qt::LeftButton, {}, rowPoint(0));
    QTest::mouseClick(pViewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    QCOMPARE(m_pView->GetSelectedCount(), 2);
    QCOMPARE(m_pView->GetNextItem(-1), 0);
    QCOMPARE(m_pView->GetNextItem(0), 2);
}

void CListViewTest::deletingNonAdjacentRowsKeepsOrder() {
    AddPaths({"6", "5", "4", "3", "2", "1", "0"});
    for (int nRow : {0, 2, 3, 6}) {
        m_pView->SetItemSelected(nRow, true);
    }
    // The frame's Remove Selected: take the first selected row from the top until none is left.
    for (int nRow = m_pView->GetNextItem(-1); nRow != -1; nRow = m_pView->GetNextItem(-1)) {
        m_pView->DeleteItem(nRow);
    }
    QCOMPARE(Paths(), (QList<QByteArray>{"1", "4", "5"}));
    QCOMPARE(m_pView->GetSelectedCount(), 0);
    for (const char* gone : {"0", "2", "3", "6"}) {
        QVERIFY(!m_pView->ContainsPath(gone));
    }
}

void CListViewTest::listChangedOnRowsAndSelection() {
    QSignalSpy spy(m_pView.get(), &CQuorrelView::ListChanged);
    m_pView->AddEntry("/a", ItemKind::File);
    QCOMPARE(spy.count(), 1);
    m_pView->AddEntry("/b", ItemKind::Folder);
    QCOMPARE(spy.count(), 2);
    m_pView->SetItemSelected(0, true);
    QCOMPARE(spy.count(), 3);
    m_pView->SetItemSelected(0, false);
    QCOMPARE(spy.count(), 4);
    m_pView->SelectAllItems();
    QCOMPARE(spy.count(), 5);
    m_pView->DeleteItem(1);
    QVERIFY(spy.count() >= 6);
    const int nBefore = spy.count();
    m_pView->DeleteAllItems();
    QVERIFY(spy.count() > nBefore);
    QCOMPARE(m_pView->GetItemCount(), 0);
    QCOMPARE(m_pView->GetSelectedCount(), 0);
}

void CListViewTest::gridAndSelectionArePainted() {
    AddPaths({"/tmp/second", "/tmp/first"});
    m_pView->SetItemSelected(1, true);
    m_pView->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
    m_pView->clearFocus();
    QVERIFY(!m_pView->hasFocus());
    const QImage image = m_pView->viewport()->grab().toImage();
    const QRect row0 = m_pView->visualRect(m_pView->model()->index(0, 1));
    const QRect row1 = m_pView->visualRect(m_pView->model()->index(1, 1));
    QStyleOptionViewItem option;
    option.initFrom(m_pView.get());
    const int nGrid =
        m_pView->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, m_pView.get());
    const QColor grid = QColor::fromRgba(static_cast<QRgb>(nGrid));
    // Vertical line at the right edge of "Name", horizontal line under the top row.
    const int nNameEdge = m_pView->header()->sectionViewportPosition(0) + 179;
    QCOMPARE(QColor(image.pixel(nNameEdge, row0.center().y())), grid);
    QCOMPARE(QColor(image.pixel(row0.left() + 60, row0.bottom())), grid);
    // The selected second row is drawn highlighted although the list has no focus.
    const QColor selected(image.pixel(row1.left() + 300, row1.center().y()));
    const QColor plain(image.pixel(row0.left() + 300, row0.center().y()));
    QVERIFY(selected != plain);
}

QTEST_MAIN(CListViewTest)
#include "list_view_test.moc"

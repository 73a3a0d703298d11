// Sorting the file list from its header, and the header's own menu.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "list/PathText.h"
#include "list/QuorrelView.h"

using quorrel::CQuorrelView;
using quorrel::ItemKind;

namespace {

// The window the list sits in; counts the context-menu requests that reach it, as the main
// frame's handler would receive them.
class CHostWindow : public QWidget {
public:
    int m_nContextMenus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        ++m_nContextMenus;
        event->accept();
    }
};

}  // namespace

class CListSortTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noArrowBeforeTheFirstSort();
    void headerClicksFollowTheDirectionRules();
    void sortedRowsMoveWhole();
    void newEntryAfterSortGoesOnTop();
    void headerMenuSorts();
    void headerMenuAligns();
    void headerMenuIsTheHeadersOwn();

private:
    void ClickHeader(int nColumn);
    // Opens the header menu on `nColumn` and triggers `actionName` in it; returns the object
    // names of the checked alignment items as the menu opened.
    QStringList ChooseFromHeaderMenu(int nColumn, const QString& actionName);
    QList<QByteArray> Paths() const;
    QStringList Column(int nColumn) const;

    QTemporaryDir m_config;
    std::unique_ptr<CHostWindow> m_pHost;
    CQuorrelView* m_pView = nullptr;
};

void CListSortTest::initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void CListSortTest::init() {
    m_pHost = std::make_unique<CHostWindow>();
    m_pView = new CQuorrelView(m_pHost.get());
    m_pHost->resize(760, 320);
    m_pView->setGeometry(0, 0, 760, 320);
    // Name order (apple, banana, Cherry, Date) differs from path order and from case order.
    m_pView->AddEntry("/z/apple", ItemKind::File);
    m_pView->AddEntry("/b/Date", ItemKind::Folder);
    m_pView->AddEntry("/a/banana", ItemKind::Folder);
    m_pView->AddEntry("/c/Cherry", ItemKind::File);
    m_pHost->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pHost.get()));
}

void CListSortTest::cleanup() {
    m_pHost.reset();
    m_pView = nullptr;
}

void CListSortTest::ClickHeader(int nColumn) {
    QHeaderView* pHeader = m_pView->header();
    const QPoint point(
        pHeader->sectionViewportPosition(nColumn) + pHeader->sectionSize(nColumn) / 2,
        pHeader->height() / 2);
    QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {}, point);
}

QStringList CListSortTest::ChooseFromHeaderMenu(int nColumn, const QString& actionName) {
    QHeaderView* pHeader = m_pView->header();
    const QPoint point(
        pHeader->sectionViewportPosition(nColumn) + pHeader->sectionSize(nColumn) / 2,
        pHeader->height() / 2);
    QStringList checked;
    bool bTriggered = false;
    QTimer timer;  // a local timer: it cannot fire after this function has returned
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr || pMenu->objectName() != QLatin1String("headerMenu")) {
            return;
        }
        for (QAction* pAction : pHeader->findChildren<QAction*>()) {
            if (pAction->isChecked()) {
                checked.append(pAction->objectName());
            }
        }
        if (QAction* pAction = pHeader->findChild<QAction*>(actionName)) {
            pAction->trigger();
            bTriggered = true;
        }
        pMenu->close();
    });
    timer.start(0);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point,
                            pHeader->viewport()->mapToGlobal(point));
    QApplication::sendEvent(pHeader->viewport(), &event);
    if (!bTriggered) {
        QTest::qFail("the header menu did not open or lacks the item", __FILE__, __LINE__);
    }
    return checked;
}

QList<QByteArray> CListSortTest::Paths() const {
    QList<QByteArray> paths;
    for (int nRow = 0; nRow < m_pView->GetItemCount(); ++nRow) {
        paths.append(m_pView->GetItemPath(nRow));
    }
    return paths;
}

QStringList CListSortTest::Column(int nColumn) const {
    QStringList texts;
    for (int nRow = 0; nRow < m_pView->GetItemCount(); ++nRow) {
        texts.append(m_pView->GetItemText(nRow, nColumn));
    }
    return texts;
}

void CListSortTest::noArrowBeforeTheFirstSort() {
    QHeaderView* pHeader = m_pView->header();
    QVERIFY(!pHeader->isSortIndicatorShown());
    QVERIFY(pHeader->sectionsClickable());
    QCOMPARE(Paths(), (QList<QByteArray>{"/c/Cherry", "/a/banana", "/b/Date", "/z/apple"}));
    ClickHeader(2);
    QVERIFY(pHeader->isSortIndicatorShown());
    QCOMPARE(pHeader->sortIndicatorSection(), 2);
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);
}

void CListSortTest::headerClicksFollowTheDirectionRules() {
    QHeaderView* pHeader = m_pView->header();
    ClickHeader(0);
    QCOMPARE(Column(0), (QStringList{"apple", "banana", "Cherry", "Date"}));
    QCOMPARE(pHeader->sortIndicatorSection(), 0);
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);

    ClickHeader(0);
    QCOMPARE(Column(0), (QStringList{"Date", "Cherry", "banana", "apple"}));
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::DescendingOrder);

    // Another column starts ascending, whatever the last direction was: "File" before
    // "Folder"; rows of equal type keep the order they had.
    ClickHeader(2);
    QCOMPARE(Column(2), (QStringList{"File", "File", "Folder", "Folder"}));
    QCOMPARE(Column(0), (QStringList{"Cherry", "apple", "Date", "banana"}));
    QCOMPARE(pHeader->sortIndicatorSection(), 2);
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);

    ClickHeader(2);
    QCOMPARE(Column(2), (QStringList{"Folder", "Folder", "File", "File"}));
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::DescendingOrder);

    // Back to a column sorted before: ascending again, not the direction it had.
    ClickHeader(0);
    QCOMPARE(Column(0), (QStringList{"apple", "banana", "Cherry", "Date"}));
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);

    ClickHeader(1);
    QCOMPARE(Paths(), (QList<QByteArray>{"/a/banana", "/b/Date", "/c/Cherry", "/z/apple"}));
}

void CListSortTest::sortedRowsMoveWhole() {
    const QByteArray odd(
        "/y/\xC9"
        "clair");  // Latin-1 bytes, not UTF-8
    m_pView->AddEntry(odd, ItemKind::File);
    m_pView->SetItemSelected(1, true);  // /c/Cherry
    m_pView->SetItemSelected(3, true);  // /b/Date
    ClickHeader(0);
    ClickHeader(0);
    for (int nRow = 0; nRow < m_pView->GetItemCount(); ++nRow) {
        const QByteArray path = m_pView->GetItemPath(nRow);
        QCOMPARE(m_pView->GetItemText(nRow, 0), quorrel::DisplayPath(quorrel::EntryName(path)));
        QCOMPARE(m_pView->GetItemText(nRow, 1), quorrel::DisplayPath(path));
        const bool bFolder = path == "/a/banana" || path == "/b/Date";
        QCOMPARE(m_pView->GetItemText(nRow, 2), bFolder ? QString("Folder") : QString("File"));
        QVERIFY(m_pView->ContainsPath(path));
    }
    // The selection went with its rows.
    QCOMPARE(m_pView->GetSelectedCount(), 2);
    const int nFirst = m_pView->GetNextItem(-1);
    QCOMPARE(m_pView->GetItemPath(nFirst), QByteArray("/b/Date"));
    QCOMPARE(m_pView->GetItemPath(m_pView->GetNextItem(nFirst)), QByteArray("/c/Cherry"));
    // A byte that is not ASCII sorts after every letter, as its character would.
    QCOMPARE(m_pView->GetItemPath(0), odd);
}

void CListSortTest::newEntryAfterSortGoesOnTop() {
    ClickHeader(0);
    m_pView->AddEntry("/m/aardvark", ItemKind::File);
    QCOMPARE(Paths(),
             (QList<QByteArray>{"/m/aardvark", "/z/apple", "/a/banana", "/c/Cherry", "/b/Date"}));
    // The arrow stays where it was; the next click on the same column flips it.
    QCOMPARE(m_pView->header()->sortIndicatorSection(), 0);
    ClickHeader(0);
    QCOMPARE(Column(0), (QStringList{"Date", "Cherry", "banana", "apple", "aardvark"}));
}

void CListSortTest::headerMenuSorts() {
    QHeaderView* pHeader = m_pView->header();
    ChooseFromHeaderMenu(1, "actionHeaderSortDescending");
    QVERIFY(pHeader->isSortIndicatorShown());
    QCOMPARE(pHeader->sortIndicatorSection(), 1);
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(Paths(), (QList<QByteArray>{"/z/apple", "/c/Cherry", "/b/Date", "/a/banana"}));
    // A click on the column the menu sorted flips its direction.
    ClickHeader(1);
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(Paths(), (QList<QByteArray>{"/a/banana", "/b/Date", "/c/Cherry", "/z/apple"}));

    ChooseFromHeaderMenu(0, "actionHeaderSortAscending");
    QCOMPARE(pHeader->sortIndicatorSection(), 0);
    QCOMPARE(Column(0), (QStringList{"apple", "banana", "Cherry", "Date"}));
    ChooseFromHeaderMenu(0, "actionHeaderSortAscending");
    QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);  // asked, not flipped
    QCOMPARE(Column(0), (QStringList{"apple", "banana", "Cherry", "Date"}));
}

void CListSortTest::headerMenuAligns() {
    QAbstractItemModel* pModel = m_pView->model();
    const auto headerAlign = [pModel](int nColumn) {
        return Qt::Alignment(
                   pModel->headerData(nColumn, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    const auto cellAlign = [pModel](int nColumn) {
        return Qt::Alignment(pModel->index(0, nColumn).data(Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(ChooseFromHeaderMenu(2, "actionHeaderAlignCenter"),
             QStringList{"actionHeaderAlignRight"});
    QCOMPARE(headerAlign(2), Qt::AlignHCenter);
    QCOMPARE(cellAlign(2), Qt::AlignHCenter);
    QCOMPARE(headerAlign(1), Qt::AlignLeft);  // the other columns keep theirs

    QCOMPARE(ChooseFromHeaderMenu(0, "actionHeaderAlignRight"),
             QStringList{"actionHeaderAlignLeft"});
    QCOMPARE(headerAlign(0), Qt::AlignRight);
    QCOMPARE(cellAlign(0), Qt::AlignRight);
    QCOMPARE(ChooseFromHeaderMenu(2, "actionHeaderAlignLeft"),
             QStringList{"actionHeaderAlignCenter"});
    QCOMPARE(cellAlign(2), Qt::AlignLeft);
    QCOMPARE(headerAlign(0), Qt::AlignRight);
    // Aligning sorts nothing.
    QVERIFY(!m_pView->header()->isSortIndicatorShown());
    QCOMPARE(Paths(), (QList<QByteArray>{"/c/Cherry", "/a/banana", "/b/Date", "/z/apple"}));
}

void CListSortTest::headerMenuIsTheHeadersOwn() {
    QHeaderView* pHeader = m_pView->header();
    auto* pMenu = pHeader->findChild<QMenu*>("headerMenu");
    QVERIFY(pMenu != nullptr);
    QStringList texts;
    for (QAction* pAction : pMenu->actions()) {
        if (!pAction->isSeparator()) {
            texts.append(pAction->text());
            QVERIFY(!pAction->objectName().isEmpty());
        }
    }
    QCOMPARE(texts, (QStringList{"Sort Ascending", "Sort Descending", "Alignment"}));
    auto* pAlignment = pHeader->findChild<QMenu*>("headerAlignmentMenu");
    QVERIFY(pAlignment != nullptr);
    QStringList alignTexts;
    for (QAction* pAction : pAlignment->actions()) {
        alignTexts.append(pAction->text());
        QVERIFY(!pAction->objectName().isEmpty());
    }
    QCOMPARE(alignTexts, (QStringList{"Align Left", "Align Center", "Align Right"}));

    // A right click on the header opens the header's menu, not the window's.
    ChooseFromHeaderMenu(0, "actionHeaderSortAscending");
    QCOMPARE(m_pHost->m_nContextMenus, 0);
    // A right click on the rows is passed on to the window, whose handler shows the list menu.
    const QPoint point = m_pView->visualRect(m_pView->model()->index(0, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point,
                            m_pView->viewport()->mapToGlobal(point));
    QApplication::sendEvent(m_pView->viewport(), &event);
    QCOMPARE(m_pHost->m_nContextMenus, 1);
}

QTEST_MAIN(CListSortTest)
#include "list_sort_test.moc"

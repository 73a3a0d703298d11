// The main window's placement: kept in the profile when the window closes, given back when the
// next one is created (normal, maximised, or closed while minimised).
#include <QDataStream>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "shell/AppSettings.h"
#include "tests/gui/gui_test_support.h"

using namespace quorrel;

class CFramePlacementTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartOpensAtTheDefaultSize();
    void normalWindowComesBackWhereItWas();
    void storedRecordHasTheWindowsLayout();
    void maximisedWindowComesBackMaximised();
    void windowClosedMinimisedComesBackNormal();
    void recordOfAnotherSizeIsIgnored();
    void rectangleOffEveryScreenKeepsOnlyItsSize();
    void placementLargerThanTheScreenIsFittedToIt_data();
    void placementLargerThanTheScreenIsFittedToIt();

private:
    QByteArray StoredRecord() const;
    void StoreRecord(const QVariant& value);
    // A record of the stored layout with show command `nShowCmd` and the normal rectangle.
    static QByteArray Record(qint32 nShowCmd, const QRect& normal);
    // Opens a window at `rect`, lets `change` act on it, and closes it.
    void CloseWindowAt(const QRect& rect, const std::function<void(CMainFrame&)>& change);

    QTemporaryDir m_config;
};

void CFramePlacementTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
}

void CFramePlacementTest::init() {
    quorrel_test::ClearProfile(m_config);
}

void CFramePlacementTest::cleanup() {
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
}

QByteArray CFramePlacementTest::StoredRecord() const {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    return pProfile->value(QStringLiteral("Settings/Window Position")).toByteArray();
}

void CFramePlacementTest::StoreRecord(const QVariant& value) {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->setValue(QStringLiteral("Settings/Window Position"), value);
    pProfile->sync();
}

QByteArray CFramePlacementTest::Record(qint32 nShowCmd, const QRect& normal) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(0) << qint32(44) << qint32(0) << nShowCmd << qint32(-1) << qint32(-1)
        << qint32(-1) << qint32(-1) << qint32(normal.left()) << qint32(normal.top())
        << qint32(normal.left() + normal.width()) << qint32(normal.top() + normal.height());
    return bytes;
}

void CFramePlacementTest::CloseWindowAt(const QRect& rect,
                                        const std::function<void(CMainFrame&)>& change) {
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    pFrame->setGeometry(rect);
    pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(pFrame.get()));
    QCOMPARE(pFrame->geometry(), rect);
    change(*pFrame);
    QVERIFY(pFrame->close());
}

void CFramePlacementTest::firstStartOpensAtTheDefaultSize() {
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    QCOMPARE(pFrame->size(),
             QSize(qMax(640, available.width() * 3 / 4), qMax(480, available.height() * 3 / 4)));
    QVERIFY(!(pFrame->windowState() & Qt::WindowMaximized));
    QVERIFY(StoredRecord().isEmpty());  // creating the window writes nothing
}

void CFramePlacementTest::normalWindowComesBackWhereItWas() {
    const QRect rect(30, 40, 620, 470);
    CloseWindowAt(rect, [](CMainFrame&) {});
    QCOMPARE(StoredRecord().size(), 48);

    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    QCOMPARE(pFrame->geometry(), rect);
    pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(pFrame.get()));
    QCOMPARE(pFrame->geometry(), rect);
    QCOMPARE(pFrame->windowState(), Qt::WindowNoState);
}

void CFramePlacementTest::storedRecordHasTheWindowsLayout() {
    CloseWindowAt(QRect(12, 34, 700, 500), [](CMainFrame&) {});
    QCOMPARE(StoredRecord(), Record(1, QRect(12, 34, 700, 500)));
}

void CFramePlacementTest::maximisedWindowComesBackMaximised() {
    const QRect rect(50, 60, 640, 480);
    CloseWindowAt(rect, [](CMainFrame& frame) {
        frame.showMaximized();
        QTRY_VERIFY(frame.windowState() & Qt::WindowMaximized);
    });
    QCOMPARE(StoredRecord(), Record(3, rect));  // the normal rectangle, shown maximised

    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    QVERIFY(pFrame->windowState() & Qt::WindowMaximized);
    pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(pFrame.get()));
    QVERIFY(pFrame->isMaximized());
    pFrame->showNormal();
    QTRY_COMPARE(pFrame->geometry(), rect);
}

void CFramePlacementTest::windowClosedMinimisedComesBackNormal() {
    const QRect rect(70, 80, 660, 490);
    CloseWindowAt(rect, [](CMainFrame& frame) {
        frame.showMinimized();
        QTRY_VERIFY(frame.windowState() & Qt::WindowMinimized);
    });
    QCOMPARE(StoredRecord(), Record(1, rect));

    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->windowState(), Qt::WindowNoState);
    QCOMPARE(pFrame->geometry(), rect);
}

void CFramePlacementTest::recordOfAnotherSizeIsIgnored() {
    auto pDefault = quorrel_test::MakeFrame(false);
    QVERIFY(pDefault);
    const QRect defaultRect = pDefault->geometry();
    pDefault.reset();

    QByteArray shortRecord = Record(3, QRect(10, 10, 500, 400));
    shortRecord.chop(1);
    StoreRecord(shortRecord);
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    QCOMPARE(pFrame->geometry(), defaultRect);
    QVERIFY(!(pFrame->windowState() & Qt::WindowMaximized));

    StoreRecord(QStringLiteral("not a placement"));
    pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    QCOMPARE(pFrame->geometry(), defaultRect);
}

void CFramePlacementTest::rectangleOffEveryScreenKeepsOnlyItsSize() {
    StoreRecord(Record(1, QRect(-30000, -30000, 610, 450)));
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    QCOMPARE(pFrame->size(), QSize(610, 450));
    QVERIFY(pFrame->x() > -30000);
}

void CFramePlacementTest::placementLargerThanTheScreenIsFittedToIt_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<bool>("bDefault");
    QTest::newRow("huge") << QRect(0, 0, 100000, 100000) << false;
    QTest::newRow("title bar above the screen") << QRect(40, -200, 500, 400) << false;
    QTest::newRow("hanging off the bottom right") << QRect(700, 500, 500, 400) << false;
    // Edges so far apart that no int holds the width: a damaged record.
    QTest::newRow("beyond every int") << QRect() << true;
}

// The window comes back inside the screen's free area, its title bar and menus reachable.
void CFramePlacementTest::placementLargerThanTheScreenIsFittedToIt() {
    QFETCH(QRect, stored);
    QFETCH(bool, bDefault);
    auto pDefault = quorrel_test::MakeFrame(false);
    QVERIFY(pDefault);
    const QRect defaultRect = pDefault->geometry();
    pDefault.reset();
    if (stored.isNull()) {
        QByteArray record = Record(1, QRect(0, 0, 10, 10));
        QDataStream out(&record, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.device()->seek(32);
        out << qint32(-2000000000) << qint32(-2000000000) << qint32(2000000000)
            << qint32(2000000000);
        StoreRecord(record);
    } else {
        StoreRecord(Record(1, stored));
    }
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    if (bDefault) {
        QCOMPARE(pFrame->geometry(), defaultRect);
        return;
    }
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(available.contains(pFrame->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                    .arg(pFrame->x())
                                                                    .arg(pFrame->y())
                                                                    .arg(pFrame->width())
                                                                    .arg(pFrame->height())));
    QVERIFY(pFrame->y() > available.top());  // room for the title bar above
    if (stored.width() < available.width() / 2) {
        QCOMPARE(pFrame->size(), stored.size());  // moved, not shrunk
    }
}

QTEST_MAIN(CFramePlacementTest)
#include "frame_placement_test.moc"

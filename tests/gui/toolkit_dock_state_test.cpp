// The bar layout's profile form: which entries each bar section holds, what a missing entry
// means, how positions are scaled to another screen, and what a damaged layout does.
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <memory>

#include "toolkit/DockState.h"
#include "toolkit/RegistryManager.h"

using namespace quorrel;

namespace {

const QString kName = QStringLiteral("Control Bar State");

SXTBarInfo Bar(int nId) {
    SXTBarInfo info;
    info.nBarID = nId;
    return info;
}

SXTBarInfo DockBar(int nId, const QList<int>& bars) {
    SXTBarInfo info = Bar(nId);
    info.arrBarID = bars;
    return info;
}

}  // namespace

class CDockStateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void defaultBarWritesOnlyItsId();
    void entriesDifferingFromDefaultsAreWritten();
    void emptyDefaultDockBarsAreLeftOut();
    void staleSectionIsDeletedBeforeWriting();
    void layoutReadsBackAsSaved();
    void missingEntriesTakeTheirDefaults();
    void firstStartFindsNoLayout();
    void positionsAreScaledToTheCurrentScreen();
    void scalingMultipliesBeforeDividing();
    void farCoordinatesAreKeptWhereScreensCanBe();
    void countBeyondTheSectionsIsRejected();
    void listCountBeyondItsEntriesIsRejected();
    void unknownBarMakesTheLayoutInapplicable();
    void clipKeepsRectangleOnScreen_data();
    void clipKeepsRectangleOnScreen();
    void absurdSizesAreNotSane();

private:
    std::unique_ptr<CXTRegistryManager> Profile() const;
    QStringList Entries(int nBar) const;
    QVariant Value(const QString& key) const;
    void Put(const QString& key, const QVariant& value) const;

    QTemporaryDir m_dir;
};

void CDockStateTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
}

void CDockStateTest::init() {
    QFile::remove(m_dir.filePath(QStringLiteral("layout.conf")));
}

std::unique_ptr<CXTRegistryManager> CDockStateTest::Profile() const {
    return std::make_unique<CXTRegistryManager>(std::make_unique<QSettings>(
        m_dir.filePath(QStringLiteral("layout.conf")), QSettings::IniFormat));
}

QStringList CDockStateTest::Entries(int nBar) const {
    QSettings settings(m_dir.filePath(QStringLiteral("layout.conf")), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("%1-Bar%2").arg(kName).arg(nBar));
    QStringList keys = settings.childKeys();
    keys.sort();
    return keys;
}

QVariant CDockStateTest::Value(const QString& key) const {
    QSettings settings(m_dir.filePath(QStringLiteral("layout.conf")), QSettings::IniFormat);
    return settings.value(kName + key);
}

void CDockStateTest::Put(const QString& key, const QVariant& value) const {
    QSettings settings(m_dir.filePath(QStringLiteral("layout.conf")), QSettings::IniFormat);
    settings.setValue(kName + key, value);
    settings.sync();
}

void CDockStateTest::defaultBarWritesOnlyItsId() {
    CXTDockState state;
    state.m_arrBarInfo << Bar(59392);
    QVERIFY(state.SaveState(*Profile(), kName, QSize(800, 600)));
    QCOMPARE(Entries(0), QStringList{QStringLiteral("BarID")});
    QCOMPARE(Value(QStringLiteral("-Bar0/BarID")).toInt(), 59392);
    QCOMPARE(Value(QStringLiteral("-Summary/Bars")).toInt(), 1);
    QCOMPARE(Value(QStringLiteral("-Summary/ScreenCX")).toInt(), 800);
    QCOMPARE(Value(QStringLiteral("-Summary/ScreenCY")).toInt(), 600);
}

void CDockStateTest::entriesDifferingFromDefaultsAreWritten() {
    SXTBarInfo floating = Bar(17001);
    floating.bVisible = false;
    floating.bFloating = true;
    floating.bHorz = false;
    floating.pointPos = QPoint(40, -1);
    floating.bDocking = true;
    floating.uMRUDockID = AFX_IDW_DOCKBAR_LEFT;
    floating.rectMRUDockPos = {1, 2, 3, 4};
    CXTDockState state;
    state.m_arrBarInfo << floating << DockBar(AFX_IDW_DOCKBAR_TOP, {0, 59392, 0, 59398});
    QVERIFY(state.SaveState(*Profile(), kName, QSize(800, 600)));
    QStringList expected = {
        "BarID",        "Docking",        "Floating",        "Horz",          "MRUDockBottomPos",
        "MRUDockID",    "MRUDockLeftPos", "MRUDockRightPos", "MRUDockTopPos", "MRUFloatStyle",
        "MRUFloatXPos", "MRUFloatYPos",   "Visible",         "XPos"};
    QCOMPARE(Entries(0), expected);
    QCOMPARE(Value(QStringLiteral("-Bar0/Visible")).toInt(), 0);
    QCOMPARE(Value(QStringLiteral("-Bar0/Horz")).toInt(), 0);
    QCOMPARE(Value(QStringLiteral("-Bar0/MRUDockRightPos")).toInt(), 3);
    QCOMPARE(Entries(1), (QStringList{"Bar#0", "Bar#1", "Bar#2", "Bar#3", "BarID", "Bars"}));
    QCOMPARE(Value(QStringLiteral("-Bar1/Bars")).toInt(), 4);
    QCOMPARE(Value(QStringLiteral("-Bar1/Bar#3")).toInt(), 59398);
}

void CDockStateTest::emptyDefaultDockBarsAreLeftOut() {
    CXTDockState state;
    state.m_arrBarInfo << DockBar(AFX_IDW_DOCKBAR_TOP, {}) << Bar(59393)
                       << DockBar(AFX_IDW_DOCKBAR_LEFT, {0}) << Bar(59392);
    QVERIFY(state.SaveState(*Profile(), kName, QSize(800, 600)));
    QCOMPARE(Value(QStringLiteral("-Summary/Bars")).toInt(), 2);
    QCOMPARE(Value(QStringLiteral("-Bar0/BarID")).toInt(), 59393);
    QCOMPARE(Value(QStringLiteral("-Bar1/BarID")).toInt(), 59392);
    // A hidden dock bar is no default one: it is kept.
    SXTBarInfo hidden = DockBar(AFX_IDW_DOCKBAR_RIGHT, {});
    hidden.bVisible = false;
    state.m_arrBarInfo = {hidden};
    QVERIFY(state.SaveState(*Profile(), kName, QSize(800, 600)));
    QCOMPARE(Value(QStringLiteral("-Summary/Bars")).toInt(), 1);
    QCOMPARE(Value(QStringLiteral("-Bar0/BarID")).toInt(), int(AFX_IDW_DOCKBAR_RIGHT));
}

void CDockStateTest::staleSectionIsDeletedBeforeWriting() {
    Put(QStringLiteral("-Bar0/Floating"), 1);
    Put(QStringLiteral("-Bar0/XPos"), 77);
    CXTDockState state;
    state.m_arrBarInfo << Bar(59392);
    QVERIFY(state.SaveState(*Profile(), kName, QSize(800, 600)));
    QCOMPARE(Entries(0), QStringList{QStringLiteral("BarID")});
}

void CDockStateTest::layoutReadsBackAsSaved() {
    SXTBarInfo floating = Bar(17001);
    floating.bFloating = true;
    floating.pointPos = QPoint(120, 80);
    floating.sizeFloat = QSize(300, 200);
    floating.bDocking = true;
    floating.uMRUDockID = AFX_IDW_DOCKBAR_BOTTOM;
    floating.rectMRUDockPos = {10, 400, 610, 550};
    floating.ptMRUFloatPos = QPoint(5, 6);
    floating.nMRUWidth = 210;
    CXTDockState saved;
    saved.m_arrBarInfo << floating << DockBar(AFX_IDW_DOCKBAR_LEFT, {0, 59392});
    QVERIFY(saved.SaveState(*Profile(), kName, QSize(800, 600)));
    CXTDockState loaded;
    QVERIFY(loaded.LoadState(*Profile(), kName, QSize(800, 600)));
    QCOMPARE(loaded.m_arrBarInfo.size(), 2);
    const SXTBarInfo& bar = loaded.m_arrBarInfo[0];
    QCOMPARE(bar.nBarID, 17001);
    QVERIFY(bar.bFloating && bar.bVisible && bar.bHorz && bar.bDocking);
    QCOMPARE(bar.pointPos, QPoint(120, 80));
    QCOMPARE(bar.sizeFloat, QSize(300, 200));
    QCOMPARE(bar.uMRUDockID, int(AFX_IDW_DOCKBAR_BOTTOM));
    QVERIFY(bar.rectMRUDockPos == (SXTEdges{10, 400, 610, 550}));
    QCOMPARE(bar.ptMRUFloatPos, QPoint(5, 6));
    QCOMPARE(bar.nMRUWidth, 210);
    QCOMPARE(loaded.m_arrBarInfo[1].arrBarID, (QList<int>{0, 59392}));
    QCOMPARE(loaded.m_sizeScreen, QSize(800, 600));
}

void CDockStateTest::missingEntriesTakeTheirDefaults() {
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Bar0/BarID"), 59392);
    Put(QStringLiteral("-Bar0/Visible"), QStringLiteral("not a number"));
    Put(QStringLiteral("-Bar0/MRUDockID"), 59420);  // read only with "Docking"
    CXTDockState state;
    QVERIFY(state.LoadState(*Profile(), kName, QSize(800, 600)));
    const SXTBarInfo& bar = state.m_arrBarInfo.at(0);
    QVERIFY(bar.bVisible && bar.bHorz && !bar.bFloating && !bar.bDocking);
    QCOMPARE(bar.pointPos, QPoint(-1, -1));
    QCOMPARE(bar.nMRUWidth, 32767);
    QCOMPARE(bar.uMRUDockID, 0);
    QVERIFY(bar.arrBarID.isEmpty());
    QCOMPARE(state.m_sizeScreen, QSize(0, 0));
}

void CDockStateTest::firstStartFindsNoLayout() {
    CXTDockState state;
    QVERIFY(!state.LoadState(*Profile(), kName, QSize(800, 600)));
    QVERIFY(state.m_arrBarInfo.isEmpty());
}

void CDockStateTest::positionsAreScaledToTheCurrentScreen() {
    SXTBarInfo bar = Bar(17001);
    bar.bFloating = true;
    bar.pointPos = QPoint(300, -1);
    bar.bDocking = true;
    bar.rectMRUDockPos = {100, 300, 400, 450};
    bar.ptMRUFloatPos = QPoint(50, 60);
    CXTDockState saved;
    saved.m_arrBarInfo << bar;
    QVERIFY(saved.SaveState(*Profile(), kName, QSize(1000, 600)));
    CXTDockState loaded;
    QVERIFY(loaded.LoadState(*Profile(), kName, QSize(2000, 400)));
    const SXTBarInfo& got = loaded.m_arrBarInfo.at(0);
    QCOMPARE(got.pointPos, QPoint(600, -1));
    // The docked rectangle moves with its corner and keeps its size.
    QVERIFY(got.rectMRUDockPos == (SXTEdges{200, 200, 500, 350}));
    QCOMPARE(got.ptMRUFloatPos, QPoint(100, 40));
}

void CDockStateTest::scalingMultipliesBeforeDividing() {
    QCOMPARE(MulDivTrunc(3, 2, 4), 1);
    QCOMPARE(MulDivTrunc(333, 1024, 1280), 266);
    QCOMPARE(MulDivTrunc(2000000, 3000, 1000), 6000000);
    QCOMPARE(MulDivTrunc(7, 5, 0), 7);
    QCOMPARE(ScalePoint(QPoint(333, 100), QSize(1280, 1024), QSize(1024, 768)), QPoint(266, 75));
    QCOMPARE(ScalePoint(QPoint(333, 100), QSize(0, 0), QSize(1024, 768)), QPoint(333, 100));
}

void CDockStateTest::farCoordinatesAreKeptWhereScreensCanBe() {
    // Edges further apart than an int holds, and a tiny stored screen that scales positions
    // up to the largest int: every coordinate comes back within 2^24 of the origin.
    const int nMax = 1 << 24;
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Summary/ScreenCX"), 1);
    Put(QStringLiteral("-Summary/ScreenCY"), 1);
    Put(QStringLiteral("-Bar0/BarID"), 17001);
    Put(QStringLiteral("-Bar0/XPos"), 2000000000);
    Put(QStringLiteral("-Bar0/Docking"), 1);
    Put(QStringLiteral("-Bar0/MRUDockLeftPos"), INT_MIN);
    Put(QStringLiteral("-Bar0/MRUDockRightPos"), 1);
    Put(QStringLiteral("-Bar0/MRUDockTopPos"), 5);
    Put(QStringLiteral("-Bar0/MRUDockBottomPos"), 105);
    CXTDockState state;
    QVERIFY(state.LoadState(*Profile(), kName, QSize(1920, 1080)));
    const SXTBarInfo& got = state.m_arrBarInfo.at(0);
    QCOMPARE(got.pointPos, QPoint(nMax, -1));
    QVERIFY(got.rectMRUDockPos == (SXTEdges{-nMax, 5400, 1, 5500}));
    QCOMPARE(got.rectMRUDockPos.ToRect().width(), nMax + 1);
}

void CDockStateTest::countBeyondTheSectionsIsRejected() {
    Put(QStringLiteral("-Summary/Bars"), 2000000000);
    Put(QStringLiteral("-Bar0/BarID"), 59392);
    CXTDockState state;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!state.LoadState(*Profile(), kName, QSize(800, 600)));
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(state.m_arrBarInfo.isEmpty());
}

void CDockStateTest::listCountBeyondItsEntriesIsRejected() {
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Bar0/BarID"), int(AFX_IDW_DOCKBAR_TOP));
    Put(QStringLiteral("-Bar0/Bars"), 1000000);
    Put(QStringLiteral("-Bar0/Bar#0"), 0);
    CXTDockState state;
    QVERIFY(!state.LoadState(*Profile(), kName, QSize(800, 600)));
    Put(QStringLiteral("-Bar0/Bars"), -3);
    QVERIFY(!state.LoadState(*Profile(), kName, QSize(800, 600)));
}

void CDockStateTest::unknownBarMakesTheLayoutInapplicable() {
    const QSet<int> frame = {59392, 59393, 17001, AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT};
    const QSet<int> dockable = {59392, 17001};
    CXTDockState state;
    state.m_arrBarInfo << Bar(59392) << DockBar(AFX_IDW_DOCKBAR_LEFT, {0, 17001});
    QVERIFY(state.IsApplicableTo(frame, dockable));
    state.m_arrBarInfo << Bar(12345);
    QVERIFY(!state.IsApplicableTo(frame, dockable));
    state.m_arrBarInfo = {DockBar(AFX_IDW_DOCKBAR_TOP, {0, 12345})};
    QVERIFY(!state.IsApplicableTo(frame, dockable));
    state.m_arrBarInfo = {DockBar(AFX_IDW_DOCKBAR_TOP, {0, 59393})};  // not a docking bar
    QVERIFY(!state.IsApplicableTo(frame, dockable));
    state.m_arrBarInfo = {DockBar(59392, {0, 17001})};  // only dock bars hold bars
    QVERIFY(!state.IsApplicableTo(frame, dockable));
    SXTBarInfo docking = Bar(17001);
    docking.bDocking = true;
    docking.uMRUDockID = 59392;
    state.m_arrBarInfo = {docking};
    QVERIFY(!state.IsApplicableTo(frame, dockable));
}

void CDockStateTest::clipKeepsRectangleOnScreen_data() {
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("expected");
    const QSize size(200, 100);
    QTest::newRow("inside") << QRect(QPoint(10, 20), size) << QRect(QPoint(10, 20), size);
    QTest::newRow("right") << QRect(QPoint(5000, 20), size) << QRect(QPoint(600, 20), size);
    QTest::newRow("below") << QRect(QPoint(10, 5000), size) << QRect(QPoint(10, 500), size);
    QTest::newRow("left above") << QRect(QPoint(-900, -50), size) << QRect(QPoint(0, 0), size);
    QTest::newRow("too large") << QRect(50, 50, 2000, 1000) << QRect(0, 0, 2000, 1000);
}

void CDockStateTest::clipKeepsRectangleOnScreen() {
    QFETCH(QRect, rect);
    QFETCH(QRect, expected);
    QCOMPARE(ClipToScreen(rect, QRect(0, 0, 800, 600)), expected);
}

void CDockStateTest::absurdSizesAreNotSane() {
    const QSize screen(800, 600);
    QVERIFY(IsSaneSize(QSize(300, 150), screen));
    QVERIFY(IsSaneSize(QSize(800, 600), screen));
    QVERIFY(!IsSaneSize(QSize(-300, 150), screen));
    QVERIFY(!IsSaneSize(QSize(300, 0), screen));
    QVERIFY(!IsSaneSize(QSize(300, 100000), screen));
}

QTEST_MAIN(CDockStateTest)
#include "toolkit_dock_state_test.moc"

// The main window's bar layout: written under "Control Bar State" when the window closes and
// applied when the next one is created, through the real frame and a profile of the test's own.
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"

using namespace quorrel;

namespace {

const QString kPrefix = QStringLiteral("Control Bar State");

}  // namespace

class CFrameBarStateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartKeepsTheDefaultPlaces();
    void defaultLayoutGivesEveryBarItsSection();
    void hiddenLogBarComesBackHidden();
    void defaultLayoutComesBackInItsRows();
    void menuBarMovesAndKeepsItsPlace();
    void menuBarListedOnASideItCannotTakeStaysPut();
    void menuBarHiddenByTheProfileIsShown();
    void movedToolBarAndFloatingLogBarComeBack();
    void dockedLogBarKeepsItsHeightAlsoWhileHidden();
    void layoutOfAnotherScreenComesBackScaled();
    void layoutNamingAnUnknownBarIsNotApplied();
    void positionsOffEveryScreenAreBroughtBack();
    void absurdSizesKeepTheDefaults();
    void countFarBeyondTheSectionsKeepsTheDefaults();

private:
    QVariant Value(const QString& key) const;
    QStringList Entries(int nBar) const;
    // The section number of bar `nBarId` in the stored layout; -1 for none.
    int SectionOf(int nBarId) const;
    void Put(const QString& key, const QVariant& value) const;
    static QSize ScreenSize();
    static QToolBar* ToolBar(CMainFrame& frame);
    static QToolBar* MenuBarHost(CMainFrame& frame);
    static void CloseFrame(std::unique_ptr<CMainFrame> pFrame);

    QTemporaryDir m_config;
};

void CFrameBarStateTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
}

void CFrameBarStateTest::init() {
    quorrel_test::ClearProfile(m_config);
}

void CFrameBarStateTest::cleanup() {
    quorrel_test::ExpectNoUnansweredBox();
}

QVariant CFrameBarStateTest::Value(const QString& key) const {
    return OpenProfile()->value(kPrefix + key);
}

QStringList CFrameBarStateTest::Entries(int nBar) const {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->beginGroup(QStringLiteral("%1-Bar%2").arg(kPrefix).arg(nBar));
    QStringList keys = pProfile->childKeys();
    keys.sort();
    return keys;
}

int CFrameBarStateTest::SectionOf(int nBarId) const {
    const int nBars = Value(QStringLiteral("-Summary/Bars")).toInt();
    for (int i = 0; i < nBars; ++i) {
        if (Value(QStringLiteral("-Bar%1/BarID").arg(i)).toInt() == nBarId) {
            return i;
        }
    }
    return -1;
}

void CFrameBarStateTest::Put(const QString& key, const QVariant& value) const {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->setValue(kPrefix + key, value);
    pProfile->sync();
}

QSize CFrameBarStateTest::ScreenSize() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

QToolBar* CFrameBarStateTest::ToolBar(CMainFrame& frame) {
    return frame.findChild<QToolBar*>(QStringLiteral("toolBar"));
}

QToolBar* CFrameBarStateTest::MenuBarHost(CMainFrame& frame) {
    return frame.findChild<QToolBar*>(QStringLiteral("menuBarHost"));
}

void CFrameBarStateTest::CloseFrame(std::unique_ptr<CMainFrame> pFrame) {
    QVERIFY(pFrame);
    QVERIFY(pFrame->close());
}

void CFrameBarStateTest::firstStartKeepsTheDefaultPlaces() {
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::TopToolBarArea);
    QCOMPARE(pFrame->dockWidgetArea(&pFrame->OutputBar()), Qt::BottomDockWidgetArea);
    QVERIFY(!pFrame->OutputBar().isFloating());
    QVERIFY(pFrame->OutputBar().isVisible());
    QVERIFY(ToolBar(*pFrame)->isVisible());
    QVERIFY(!Value(QStringLiteral("-Summary/Bars")).isValid());  // creating writes nothing
}

void CFrameBarStateTest::defaultLayoutGivesEveryBarItsSection() {
    CloseFrame(quorrel_test::MakeFrame());
    // Menu bar, toolbar, log bar, status bar and the top and bottom dock bars; the empty sides
    // are left out.
    QCOMPARE(Value(QStringLiteral("-Summary/Bars")).toInt(), 6);
    QCOMPARE(Value(QStringLiteral("-Summary/ScreenCX")).toInt(), ScreenSize().width());
    QCOMPARE(Value(QStringLiteral("-Summary/ScreenCY")).toInt(), ScreenSize().height());
    const int nToolBar = SectionOf(ID_VIEW_TOOLBAR);
    QVERIFY(nToolBar >= 0);
    QCOMPARE(Entries(nToolBar), QStringList{QStringLiteral("BarID")});
    QCOMPARE(Entries(SectionOf(ID_VIEW_STATUS_BAR)), QStringList{QStringLiteral("BarID")});
    const int nTop = SectionOf(0xE81B);
    QVERIFY(nTop >= 0);
    QCOMPARE(Entries(SectionOf(59398)), QStringList{QStringLiteral("BarID")});
    // Menu bar and toolbar, each in a row of its own.
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bars").arg(nTop)).toInt(), 4);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#0").arg(nTop)).toInt(), 0);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#1").arg(nTop)).toInt(), 59398);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#2").arg(nTop)).toInt(), 0);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#3").arg(nTop)).toInt(), int(ID_VIEW_TOOLBAR));
    const int nBottom = SectionOf(0xE81C);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#1").arg(nBottom)).toInt(), int(ID_VIEW_OUTPUT_BAR));
    QCOMPARE(SectionOf(0xE81D), -1);
    QCOMPARE(SectionOf(0xE81E), -1);
    const int nLog = SectionOf(ID_VIEW_OUTPUT_BAR);
    QVERIFY(!Entries(nLog).contains(QStringLiteral("Visible")));
    QVERIFY(!Entries(nLog).contains(QStringLiteral("Floating")));
    QCOMPARE(Value(QStringLiteral("-Bar%1/MRUDockID").arg(nLog)).toInt(), 0xE81C);
}

void CFrameBarStateTest::hiddenLogBarComesBackHidden() {
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    pFrame->Action(ID_VIEW_OUTPUT_BAR)->trigger();
    QVERIFY(!pFrame->OutputBar().isVisible());
    CloseFrame(std::move(pFrame));
    const int nLog = SectionOf(ID_VIEW_OUTPUT_BAR);
    QVERIFY(nLog >= 0);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Visible").arg(nLog)), QVariant(QStringLiteral("0")));

    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(!pFrame->OutputBar().isVisible());
    QVERIFY(!pFrame->Action(ID_VIEW_OUTPUT_BAR)->isChecked());
    QVERIFY(ToolBar(*pFrame)->isVisible());
    QVERIFY(pFrame->Action(ID_VIEW_TOOLBAR)->isChecked());
}

void CFrameBarStateTest::defaultLayoutComesBackInItsRows() {
    CloseFrame(quorrel_test::MakeFrame());
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QToolBar* pMenus = MenuBarHost(*pFrame);
    QVERIFY(pMenus);
    QCOMPARE(pFrame->toolBarArea(pMenus), Qt::TopToolBarArea);
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::TopToolBarArea);
    QVERIFY(pMenus->isVisible());
    QVERIFY(ToolBar(*pFrame)->isVisible());
    QTRY_VERIFY(ToolBar(*pFrame)->y() >= pMenus->y() + pMenus->height());
    QCOMPARE(pFrame->OutputBar().height(), 150);
}

void CFrameBarStateTest::menuBarMovesAndKeepsItsPlace() {
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(pFrame->MenuBar());
    QCOMPARE(pFrame->MenuBar()->parentWidget(), MenuBarHost(*pFrame));
    QVERIFY(MenuBarHost(*pFrame)->isMovable());
    pFrame->addToolBar(Qt::BottomToolBarArea, MenuBarHost(*pFrame));
    CloseFrame(std::move(pFrame));
    const int nBottom = SectionOf(0xE81C);
    QCOMPARE(Value(QStringLiteral("-Bar%1/Bar#1").arg(nBottom)).toInt(), 59398);

    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->toolBarArea(MenuBarHost(*pFrame)), Qt::BottomToolBarArea);
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::TopToolBarArea);
    QCOMPARE(pFrame->MenuBar()->actions().size(), 4);
    QVERIFY(pFrame->MenuBar()->isVisible());
}

void CFrameBarStateTest::menuBarListedOnASideItCannotTakeStaysPut() {
    // A hand-edited layout: the menus on the left, where a menu bar cannot lie, and the
    // toolbar on the right.
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Bar0/BarID"), 0xE81D);
    Put(QStringLiteral("-Bar0/Bars"), 4);
    Put(QStringLiteral("-Bar0/Bar#0"), 0);
    Put(QStringLiteral("-Bar0/Bar#1"), 59398);
    Put(QStringLiteral("-Bar0/Bar#2"), 0);
    Put(QStringLiteral("-Bar0/Bar#3"), int(ID_VIEW_TOOLBAR));
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->toolBarArea(MenuBarHost(*pFrame)), Qt::TopToolBarArea);
    QVERIFY(MenuBarHost(*pFrame)->isVisible());
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::LeftToolBarArea);
    QVERIFY(ToolBar(*pFrame)->isVisible());
}

// No command brings a hidden menu bar back: a profile that hides it is not obeyed.
void CFrameBarStateTest::menuBarHiddenByTheProfileIsShown() {
    CloseFrame(quorrel_test::MakeFrame());
    const int nMenus = SectionOf(59398);
    QVERIFY(nMenus >= 0);
    Put(QStringLiteral("-Bar%1/Visible").arg(nMenus), 0);
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(MenuBarHost(*pFrame)->isVisible());
    QVERIFY(pFrame->MenuBar()->isVisible());
}

void CFrameBarStateTest::movedToolBarAndFloatingLogBarComeBack() {
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    pFrame->addToolBar(Qt::LeftToolBarArea, ToolBar(*pFrame));
    COutputBar& log = pFrame->OutputBar();
    log.setFloating(true);
    const QRect floatRect(120, 90, 320, 210);
    log.setGeometry(floatRect);
    QTRY_COMPARE(log.geometry(), floatRect);
    CloseFrame(std::move(pFrame));

    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::LeftToolBarArea);
    QCOMPARE(ToolBar(*pFrame)->orientation(), Qt::Vertical);
    QVERIFY(pFrame->OutputBar().isFloating());
    QVERIFY(pFrame->OutputBar().isVisible());
    QTRY_COMPARE(pFrame->OutputBar().geometry(), floatRect);
    // Docked again, it goes back to the side it came from.
    pFrame->OutputBar().setFloating(false);
    QCOMPARE(pFrame->dockWidgetArea(&pFrame->OutputBar()), Qt::BottomDockWidgetArea);
}

void CFrameBarStateTest::dockedLogBarKeepsItsHeightAlsoWhileHidden() {
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    const int nDefault = pFrame->OutputBar().height();
    const int nTaller = nDefault + 60;
    pFrame->resizeDocks({&pFrame->OutputBar()}, {nTaller}, Qt::Vertical);
    QTRY_COMPARE(pFrame->OutputBar().height(), nTaller);
    CloseFrame(std::move(pFrame));

    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QTRY_COMPARE(pFrame->OutputBar().height(), nTaller);
    // Hidden, it stays hidden across two more starts, and comes back at the same height.
    pFrame->Action(ID_VIEW_OUTPUT_BAR)->trigger();
    QVERIFY(!pFrame->OutputBar().isVisible());
    CloseFrame(std::move(pFrame));
    for (int nStart = 0; nStart < 2; ++nStart) {
        pFrame = quorrel_test::MakeFrame();
        QVERIFY(pFrame);
        QVERIFY(!pFrame->OutputBar().isVisible());
        CloseFrame(std::move(pFrame));
    }
    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    pFrame->Action(ID_VIEW_OUTPUT_BAR)->trigger();
    QVERIFY(pFrame->OutputBar().isVisible());
    QTRY_COMPARE(pFrame->OutputBar().height(), nTaller);
}

void CFrameBarStateTest::layoutOfAnotherScreenComesBackScaled() {
    const QSize screen = ScreenSize();
    // Saved on a screen twice as wide and twice as high: positions halve.
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Summary/ScreenCX"), screen.width() * 2);
    Put(QStringLiteral("-Summary/ScreenCY"), screen.height() * 2);
    Put(QStringLiteral("-Bar0/BarID"), int(ID_VIEW_OUTPUT_BAR));
    Put(QStringLiteral("-Bar0/Floating"), 1);
    Put(QStringLiteral("-Bar0/XPos"), 201);
    Put(QStringLiteral("-Bar0/YPos"), 160);
    Put(QStringLiteral("-Bar0/FloatCX"), 300);
    Put(QStringLiteral("-Bar0/FloatCY"), 200);
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(pFrame->OutputBar().isFloating());
    QTRY_COMPARE(pFrame->OutputBar().geometry(), QRect(100, 80, 300, 200));
}

void CFrameBarStateTest::layoutNamingAnUnknownBarIsNotApplied() {
    Put(QStringLiteral("-Summary/Bars"), 3);
    Put(QStringLiteral("-Bar0/BarID"), int(ID_VIEW_OUTPUT_BAR));
    Put(QStringLiteral("-Bar0/Visible"), 0);
    Put(QStringLiteral("-Bar1/BarID"), 0xE81D);
    Put(QStringLiteral("-Bar1/Bars"), 2);
    Put(QStringLiteral("-Bar1/Bar#0"), 0);
    Put(QStringLiteral("-Bar1/Bar#1"), int(ID_VIEW_TOOLBAR));
    Put(QStringLiteral("-Bar2/BarID"), 4242);
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(pFrame->OutputBar().isVisible());
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::TopToolBarArea);

    // The same layout without the unknown bar is applied.
    pFrame.reset();
    Put(QStringLiteral("-Summary/Bars"), 2);
    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(!pFrame->OutputBar().isVisible());
    QCOMPARE(pFrame->toolBarArea(ToolBar(*pFrame)), Qt::LeftToolBarArea);
}

void CFrameBarStateTest::positionsOffEveryScreenAreBroughtBack() {
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Bar0/BarID"), int(ID_VIEW_OUTPUT_BAR));
    Put(QStringLiteral("-Bar0/Floating"), 1);
    Put(QStringLiteral("-Bar0/XPos"), 90000);
    Put(QStringLiteral("-Bar0/YPos"), -70000);
    Put(QStringLiteral("-Bar0/FloatCX"), 300);
    Put(QStringLiteral("-Bar0/FloatCY"), 200);
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(pFrame->OutputBar().isFloating());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QTRY_VERIFY(available.contains(pFrame->OutputBar().geometry()));
    QCOMPARE(pFrame->OutputBar().size(), QSize(300, 200));
}

void CFrameBarStateTest::absurdSizesKeepTheDefaults() {
    const int nDefault = quorrel_test::MakeFrame()->OutputBar().height();
    Put(QStringLiteral("-Summary/Bars"), 1);
    Put(QStringLiteral("-Bar0/BarID"), int(ID_VIEW_OUTPUT_BAR));
    Put(QStringLiteral("-Bar0/Docking"), 1);
    Put(QStringLiteral("-Bar0/MRUDockID"), 0xE81C);
    Put(QStringLiteral("-Bar0/MRUDockLeftPos"), 0);
    Put(QStringLiteral("-Bar0/MRUDockRightPos"), 400);
    Put(QStringLiteral("-Bar0/MRUDockTopPos"), 500);
    Put(QStringLiteral("-Bar0/MRUDockBottomPos"), -90000);
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QCOMPARE(pFrame->OutputBar().height(), nDefault);

    // A floating window of a negative size gets a size of its own, on the screen.
    pFrame.reset();
    Put(QStringLiteral("-Bar0/Floating"), 1);
    Put(QStringLiteral("-Bar0/XPos"), 10);
    Put(QStringLiteral("-Bar0/YPos"), 10);
    Put(QStringLiteral("-Bar0/FloatCX"), -400);
    Put(QStringLiteral("-Bar0/FloatCY"), 99999);
    pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(pFrame->OutputBar().isVisible());
    const QSize size = pFrame->OutputBar().size();
    QVERIFY(size.width() > 0 && size.height() > 0);
    QVERIFY(size.height() <= QGuiApplication::primaryScreen()->availableGeometry().height());
}

void CFrameBarStateTest::countFarBeyondTheSectionsKeepsTheDefaults() {
    Put(QStringLiteral("-Summary/Bars"), 2147483647);
    Put(QStringLiteral("-Bar0/BarID"), int(ID_VIEW_OUTPUT_BAR));
    Put(QStringLiteral("-Bar0/Visible"), 0);
    QElapsedTimer timer;
    timer.start();
    auto pFrame = quorrel_test::MakeFrame();
    QVERIFY(pFrame);
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(pFrame->OutputBar().isVisible());
    QCOMPARE(pFrame->dockWidgetArea(&pFrame->OutputBar()), Qt::BottomDockWidgetArea);
}

QTEST_MAIN(CFrameBarStateTest)
#include "frame_bar_state_test.moc"

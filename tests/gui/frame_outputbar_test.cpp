// The action log bar: its place in the frame, its first line, how lines are added, shown and
// laid out, its caption buttons, and the View menu's bar toggles with their check marks.
#include <QDockWidget>
#include <QListWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

#include "list/PathText.h"
#include "shell/CommandIds.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"
#include "toolkit/ListBox.h"

using namespace quorrel;

class CFrameOutputBarTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dockedAlongTheBottomOnAFirstStart();
    void startsWithLogBeginNotSelected();
    void addLineSelectsAndShowsTheNewestLine();
    void linesKeepCallOrderEmptyAndRepeatedOnesIncluded();
    void engineBytesAreShownReadably();
    void longLinesScrollSidewaysNotWrapped();
    void theWidestLineIsMeasuredAsItIsDrawn_data();
    void theWidestLineIsMeasuredAsItIsDrawn();
    void tabStripStaysAtTheBottomWhenResized();
    void captionButtonsHideExpandAndContract();
    void viewMenuTogglesBarsWithCheckMarks_data();
    void viewMenuTogglesBarsWithCheckMarks();

private:
    COutputBar& Bar() const { return m_pFrame->OutputBar(); }
    QListWidget& Log() const { return Bar().LogList(); }
    QStringList LogTexts() const;
    bool NewestLineIsInView() const;

    QTemporaryDir m_config;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void CFrameOutputBarTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
}

void CFrameOutputBarTest::init() {
    quorrel_test::ClearProfile(m_config);
    m_pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(m_pFrame);
    m_pFrame->resize(800, 600);
    m_pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
}

void CFrameOutputBarTest::cleanup() {
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
}

QStringList CFrameOutputBarTest::LogTexts() const {
    QStringList texts;
    for (int i = 0; i < Log().count(); ++i) {
        texts.append(Log().item(i)->text());
    }
    return texts;
}

bool CFrameOutputBarTest::NewestLineIsInView() const {
    const QRect line = Log().visualItemRect(Log().item(Log().count() - 1));
    return Log().viewport()->rect().contains(line.topLeft()) &&
           line.bottom() <= Log().viewport()->rect().bottom();
}

void CFrameOutputBarTest::dockedAlongTheBottomOnAFirstStart() {
    QCOMPARE(Bar().objectName(), QStringLiteral("outputBar"));
    QCOMPARE(Bar().windowTitle(), QStringLiteral("Action Log Window"));
    QCOMPARE(m_pFrame->dockWidgetArea(&Bar()), Qt::BottomDockWidgetArea);
    QVERIFY(!Bar().isFloating());
    QVERIFY(Bar().isVisible());
    QCOMPARE(Bar().height(), 150);
    QCOMPARE(m_pFrame->findChild<QDockWidget*>(QStringLiteral("outputBar")), &Bar());
    QCOMPARE(Log().objectName(), QStringLiteral("logList"));
}

void CFrameOutputBarTest::startsWithLogBeginNotSelected() {
    QCOMPARE(LogTexts(), QStringList({"Log Begin..."}));
    QVERIFY(Log().selectedItems().isEmpty());
    // Several lines may be selected, to be copied together.
    QCOMPARE(Log().selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(Bar().TabCtrl().count(), 1);
    QCOMPARE(Bar().TabCtrl().tabText(0), QStringLiteral("Action Log"));
    QVERIFY(Log().isVisible());
}

void CFrameOutputBarTest::addLineSelectsAndShowsTheNewestLine() {
    for (int i = 1; i <= 60; ++i) {
        Bar().AddLine(QStringLiteral("line %1").arg(i));
        QCOMPARE(Log().selectedItems().size(), 1);
        QCOMPARE(Log().selectedItems().first(), Log().item(Log().count() - 1));
    }
    QVERIFY(NewestLineIsInView());

    // The user looks at the top and picks an old line: the next line takes over again.
    Log().setCurrentRow(2);
    Log().scrollToTop();
    QVERIFY(!NewestLineIsInView());
    Bar().AddLine(QStringLiteral("- Time: 0 seconds."));
    QCOMPARE(Log().selectedItems().size(), 1);
    QCOMPARE(Log().selectedItems().first()->text(), QStringLiteral("- Time: 0 seconds."));
    QCOMPARE(Log().currentRow(), 61);
    QVERIFY(NewestLineIsInView());
}

void CFrameOutputBarTest::linesKeepCallOrderEmptyAndRepeatedOnesIncluded() {
    Bar().AddLine(QStringLiteral("zeta"));
    Bar().AddLine(QStringLiteral("alpha"));
    Bar().AddLine(QStringLiteral("alpha"));
    Bar().AddLine(QString());
    QCOMPARE(LogTexts(), QStringList({"Log Begin...", "zeta", "alpha", "alpha", ""}));
    QCOMPARE(Log().currentRow(), 4);
    QCOMPARE(Log().selectedItems().size(), 1);
    QCOMPARE(Log().selectedItems().first()->text(), QString());
}

void CFrameOutputBarTest::engineBytesAreShownReadably() {
    const std::string line =
        "* Error deleting the folder /tmp/caf\xc3\xa9/bad\xff"
        "name";
    Bar().AddLine(line);
    QCOMPARE(Log().item(1)->text(), DisplayPath(QByteArray::fromStdString(line)));
    QVERIFY(Log().item(1)->text().contains(QStringLiteral("caf\u00e9")));
    QVERIFY(!Log().item(1)->text().contains(QChar::ReplacementCharacter));
    Bar().AddLine("- Deleteing files using: Simple (1 pass: writes 0x00) algorithm.");
    QCOMPARE(Log().item(2)->text(),
             QStringLiteral("- Deleteing files using: Simple (1 pass: writes 0x00) algorithm."));
}

void CFrameOutputBarTest::longLinesScrollSidewaysNotWrapped() {
    const QString longLine = QStringLiteral("* ") + QString(600, QLatin1Char('x'));
    Bar().AddLine(longLine);
    Bar().AddLine(QStringLiteral("short"));
    Log().setCurrentRow(1);
    Log().scrollToItem(Log().item(1), QAbstractItemView::PositionAtCenter);
    QCoreApplication::processEvents();
    QCOMPARE(Log().horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QVERIFY(Log().horizontalScrollBar()->maximum() > 0);
    QVERIFY(!Log().wordWrap());
    QCOMPARE(Log().textElideMode(), Qt::ElideNone);
    // One line high, like every other line: not wrapped.
    QCOMPARE(Log().visualItemRect(Log().item(1)).height(),
             Log().visualItemRect(Log().item(2)).height());
    QCOMPARE(Log().item(1)->text(), longLine);
}

void CFrameOutputBarTest::theWidestLineIsMeasuredAsItIsDrawn_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("nPointSize");
    const QString path = QStringLiteral(
        "File /home/user/Documents/Taxes 2026/payroll (AVa) "
        "~final~.xlsx successfuly deleted ");
    QTest::newRow("path") << path << 0;
    QTest::newRow("path, larger font") << path << 17;
    QTest::newRow("wide letters") << QString(200, QLatin1Char('W')) << 0;
    QTest::newRow("narrow letters") << QString(200, QLatin1Char('i')) << 0;
    QTest::newRow("beyond ASCII") << QStringLiteral("Wipeing file /m/Größe-日本-Ωmega.txt") << 0;
}

// However a line's width is found, the line fits in it as it is drawn, after a change of font
// too.
void CFrameOutputBarTest::theWidestLineIsMeasuredAsItIsDrawn() {
    QFETCH(QString, line);
    QFETCH(int, nPointSize);
    CXTListBox box;
    box.AddLine(QStringLiteral("x"));
    if (nPointSize > 0) {
        QFont font = box.font();
        font.setPointSize(nPointSize);
        box.setFont(font);
    }
    box.AddLine(line);
    // Never narrower (its end can always be scrolled to); wider by what kerning takes back.
    const int nDrawn = box.fontMetrics().horizontalAdvance(line);
    QVERIFY2(box.WidestLine() >= nDrawn - 1 && box.WidestLine() <= nDrawn + nDrawn / 50 + 2,
             qPrintable(QStringLiteral("measured %1, drawn %2").arg(box.WidestLine()).arg(nDrawn)));
}

void CFrameOutputBarTest::tabStripStaysAtTheBottomWhenResized() {
    QTabBar& tabs = Bar().TabCtrl();
    const int nStrip = tabs.height();
    QCOMPARE(nStrip, Bar().TabsHeight() - 1);
    // Down to a little below the first height (not to the least: that follows the font).
    for (int nHeight : {260, 130, 200}) {
        m_pFrame->resizeDocks({&Bar()}, {nHeight}, Qt::Vertical);
        QCoreApplication::processEvents();
        QCOMPARE(Bar().height(), nHeight);
        const QWidget* pClient = tabs.parentWidget();
        QCOMPARE(tabs.height(), nStrip);
        QCOMPARE(tabs.geometry().bottom(), pClient->rect().bottom());
        QCOMPARE(tabs.width(), pClient->width());
        QCOMPARE(Log().geometry().bottom() + 1, tabs.geometry().top());
        QCOMPARE(Log().geometry().top(), 0);
    }
}

void CFrameOutputBarTest::captionButtonsHideExpandAndContract() {
    auto* pHide = Bar().findChild<QToolButton*>(QStringLiteral("outputBarHide"));
    auto* pExpand = Bar().findChild<QToolButton*>(QStringLiteral("outputBarExpand"));
    QVERIFY(pHide && pExpand);
    QCOMPARE(pHide->toolTip(), QStringLiteral("Hide docked window"));
    QCOMPARE(pExpand->toolTip(), QStringLiteral("Expand docked window"));

    const int nNormal = Bar().height();
    pExpand->click();
    QCoreApplication::processEvents();
    QVERIFY(Bar().IsExpanded());
    QVERIFY2(Bar().height() > nNormal + 100, qPrintable(QString::number(Bar().height())));
    QCOMPARE(pExpand->toolTip(), QStringLiteral("Contract docked window"));
    QVERIFY(m_pFrame->GetActiveView()->height() > 0);  // the list keeps a place

    pExpand->click();
    QCoreApplication::processEvents();
    QVERIFY(!Bar().IsExpanded());
    QCOMPARE(Bar().height(), nNormal);
    QCOMPARE(pExpand->toolTip(), QStringLiteral("Expand docked window"));

    QVERIFY(m_pFrame->Action(ID_VIEW_OUTPUT_BAR)->isChecked());
    pHide->click();
    QVERIFY(!Bar().isVisible());
    QVERIFY(!m_pFrame->Action(ID_VIEW_OUTPUT_BAR)->isChecked());
}

void CFrameOutputBarTest::viewMenuTogglesBarsWithCheckMarks_data() {
    QTest::addColumn<int>("nCommand");
    QTest::addColumn<QString>("barName");
    QTest::newRow("toolbar") << int(ID_VIEW_TOOLBAR) << QStringLiteral("toolBar");
    QTest::newRow("status bar") << int(ID_VIEW_STATUS_BAR) << QStringLiteral("statusBar");
    QTest::newRow("action log") << int(ID_VIEW_OUTPUT_BAR) << QStringLiteral("outputBar");
}

void CFrameOutputBarTest::viewMenuTogglesBarsWithCheckMarks() {
    QFETCH(int, nCommand);
    QFETCH(QString, barName);
    QAction* pToggle = m_pFrame->Action(nCommand);
    auto* pBar = m_pFrame->findChild<QWidget*>(barName);
    QVERIFY(pToggle && pBar);
    QVERIFY(pToggle->isCheckable());
    QVERIFY(pToggle->isChecked());
    QVERIFY(pBar->isVisible());

    pToggle->trigger();
    QVERIFY(!pBar->isVisible());
    QVERIFY(!pToggle->isChecked());
    // The other bars are not touched.
    for (int nOther : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_OUTPUT_BAR}) {
        QCOMPARE(m_pFrame->Action(nOther)->isChecked(), nOther != nCommand);
    }

    pToggle->trigger();
    QVERIFY(pBar->isVisible());
    QVERIFY(pToggle->isChecked());

    // A bar hidden some other way shows no check mark the next time the menu opens.
    pBar->hide();
    auto* pViewMenu = m_pFrame->findChild<QMenu*>(QStringLiteral("viewMenu"));
    QVERIFY(pViewMenu);
    QMetaObject::invokeMethod(pViewMenu, "aboutToShow");
    QVERIFY(!pToggle->isChecked());
}

QTEST_MAIN(CFrameOutputBarTest)
#include "frame_outputbar_test.moc"

// The main frame's status bar (logo, message, lock-key and progress panes, prompts and idle
// text) and its client area (splitters, sidebar column, caption band, active list view).
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include "shell/CommandIds.h"
#include "shell/MainStatusBar.h"
#include "tests/gui/gui_test_support.h"
#include "toolkit/Caption.h"
#include "toolkit/IndicatorPane.h"
#include "toolkit/LogoPane.h"

using namespace quorrel;

class CFrameStatusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void panesFromLeftToRight();
    void logoPaneFitsItsText();
    void progressPaneStartsEmpty();
    void idleTextUntilAPromptIsShown();
    void menuItemPromptsWhileHighlighted();
    void lockKeysShownWhenTheirLightsCanBeRead();
    void noLockPanesWhereNothingCanBeRead();
    void captionBandOverTheList();
    void sidebarColumnIsASeventhOfTheWidth();

private:
    QStatusBar& Status() const { return *m_pFrame->statusBar(); }
    template <typename T>
    T* Child(const char* pszName) const {
        return m_pFrame->findChild<T*>(QLatin1String(pszName));
    }
    void WriteLight(const QString& name, const char* pszBrightness);

    QTemporaryDir m_config;
    QTemporaryDir m_lights;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void CFrameStatusTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    QVERIFY(m_lights.isValid());
    // No frame of this test reads the machine's own keyboard lights.
    CMainStatusBar::SetLockLightsDir(m_lights.path() + QStringLiteral("/none"));
}

void CFrameStatusTest::init() {
    quorrel_test::ClearProfile(m_config);
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
}

void CFrameStatusTest::cleanup() {
    m_pFrame.reset();
    CMainStatusBar::SetLockLightsDir(m_lights.path() + QStringLiteral("/none"));
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
}

void CFrameStatusTest::WriteLight(const QString& name, const char* pszBrightness) {
    QVERIFY(QDir().mkpath(m_lights.path() + QLatin1Char('/') + name));
    QFile file(m_lights.path() + QLatin1Char('/') + name + QStringLiteral("/brightness"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(pszBrightness);
}

void CFrameStatusTest::panesFromLeftToRight() {
    auto* pLogo = Child<CXTLogoPane>("logoPane");
    auto* pMessage = Child<QLabel>("messagePane");
    auto* pProgress = Child<QProgressBar>("progress");
    QVERIFY(pLogo && pMessage && pProgress);
    for (QWidget* pPane : {static_cast<QWidget*>(pLogo), static_cast<QWidget*>(pMessage),
                           static_cast<QWidget*>(pProgress)}) {
        QCOMPARE(pPane->parentWidget(), &Status());
        QVERIFY(pPane->isVisible());
    }
    QVERIFY(pLogo->geometry().right() < pMessage->geometry().left());
    QVERIFY(pMessage->geometry().right() < pProgress->geometry().left());
    // The message pane takes the width the others leave.
    QVERIFY(pMessage->width() > Status().width() / 2);
    QVERIFY(pProgress->geometry().right() > Status().width() - 40);
}

void CFrameStatusTest::logoPaneFitsItsText() {
    auto* pLogo = Child<CXTLogoPane>("logoPane");
    QVERIFY(pLogo);
    QCOMPARE(pLogo->Text(), QStringLiteral("Quorrel"));
    QCOMPARE(pLogo->PaneWidth(), pLogo->fontMetrics().horizontalAdvance("Quorrel") + 2);
    QCOMPARE(pLogo->contentsRect().width(), pLogo->PaneWidth());
}

void CFrameStatusTest::progressPaneStartsEmpty() {
    QProgressBar& progress = m_pFrame->Progress();
    QCOMPARE(&progress, Child<QProgressBar>("progress"));
    QCOMPARE(progress.width(), 150);
    QCOMPARE(progress.minimum(), 0);
    QCOMPARE(progress.maximum(), 5000);
    QCOMPARE(progress.value(), 0);
    QVERIFY(!progress.isTextVisible());
}

void CFrameStatusTest::idleTextUntilAPromptIsShown() {
    auto* pMessage = Child<QLabel>("messagePane");
    QCOMPARE(CMainStatusBar::IdleMessage(), QStringLiteral("For Help, press F1"));
    QCOMPARE(pMessage->text(), QStringLiteral("For Help, press F1"));

    // The pointer comes to rest on a toolbar button, then leaves it.
    auto* pToolBar = Child<QToolBar>("toolBar");
    QWidget* pButton = pToolBar->widgetForAction(m_pFrame->Action(ID_WIPE_FOLDER));
    QVERIFY(pButton);
    const QPoint centre = pButton->rect().center();
    QEnterEvent enter(centre, pButton->mapTo(m_pFrame.get(), centre), pButton->mapToGlobal(centre));
    QApplication::sendEvent(pButton, &enter);
    QCOMPARE(m_pFrame->StatusMessage(),
             QStringLiteral("Permanently delete all files from specific folder"));
    QCOMPARE(pMessage->text(), m_pFrame->StatusMessage());
    // The prompt stays in the message pane: the logo beside it stays in view.
    QVERIFY(Child<CXTLogoPane>("logoPane")->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(pButton, &leave);
    QCOMPARE(pMessage->text(), QStringLiteral("For Help, press F1"));
}

void CFrameStatusTest::menuItemPromptsWhileHighlighted() {
    quorrel_test::AddRows(*m_pFrame->GetActiveView(), {"/tmp/a"});
    auto* pEdit = Child<QMenu>("editMenu");
    QVERIFY(pEdit);
    m_pFrame->MenuBar()->setActiveAction(pEdit->menuAction());
    QTRY_VERIFY(pEdit->isVisible());
    pEdit->setActiveAction(m_pFrame->Action(ID_SELECT_ALL));
    QCOMPARE(m_pFrame->StatusMessage(), QStringLiteral("Select all items in the list"));
    pEdit->setActiveAction(m_pFrame->Action(ID_REMOVE_ALL));
    QCOMPARE(m_pFrame->StatusMessage(), QStringLiteral("Empty list box"));
    // A greyed item (nothing is selected) still shows its prompt under the pointer.
    QAction* pGreyed = m_pFrame->Action(ID_REMOVE_SELECTED);
    QVERIFY(!pGreyed->isEnabled());
    QTest::mouseMove(pEdit, pEdit->actionGeometry(pGreyed).center());
    QTRY_COMPARE(m_pFrame->StatusMessage(),
                 QStringLiteral("Remove only selected items from a list box"));
    pEdit->close();
    QTRY_COMPARE(m_pFrame->StatusMessage(), QStringLiteral("For Help, press F1"));

    // An item without a prompt of its own shows the idle text.
    auto* pView = Child<QMenu>("viewMenu");
    m_pFrame->MenuBar()->setActiveAction(pView->menuAction());
    QTRY_VERIFY(pView->isVisible());
    pView->setActiveAction(m_pFrame->Action(ID_VIEW_TOOLBAR));
    QCOMPARE(m_pFrame->StatusMessage(), QStringLiteral("Show or hide the toolbar"));
    pView->setActiveAction(m_pFrame->Action(ID_VIEW_OUTPUT_BAR));
    QCOMPARE(m_pFrame->StatusMessage(), QStringLiteral("For Help, press F1"));
    pView->close();
}

void CFrameStatusTest::lockKeysShownWhenTheirLightsCanBeRead() {
    WriteLight(QStringLiteral("input3::capslock"), "1\n");
    WriteLight(QStringLiteral("input3::numlock"), "0\n");
    WriteLight(QStringLiteral("input7::numlock"), "0\n");
    WriteLight(QStringLiteral("input3::kana"), "1\n");
    CMainStatusBar::SetLockLightsDir(m_lights.path());
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);

    auto* pCaps = Child<CXTIndicatorPane>("capIndicator");
    auto* pNum = Child<CXTIndicatorPane>("numIndicator");
    QVERIFY(pCaps && pNum);
    QVERIFY(Child<CXTIndicatorPane>("scrlIndicator") == nullptr);
    QCOMPARE(pCaps->ShownText(), QStringLiteral("CAP"));
    QCOMPARE(pNum->ShownText(), QString());
    // In order, between the message pane and the progress pane.
    QVERIFY(Child<QLabel>("messagePane")->geometry().right() < pCaps->geometry().left());
    QVERIFY(pCaps->geometry().right() < pNum->geometry().left());
    QVERIFY(pNum->geometry().right() < m_pFrame->Progress().geometry().left());

    // The user presses Caps Lock and Num Lock (on the second keyboard).
    WriteLight(QStringLiteral("input3::capslock"), "0\n");
    WriteLight(QStringLiteral("input7::numlock"), "1\n");
    QTRY_COMPARE(pCaps->ShownText(), QString());
    QTRY_COMPARE(pNum->ShownText(), QStringLiteral("NUM"));
    QCOMPARE(pNum->width(), pNum->sizeHint().width());  // the same width on and off
}

void CFrameStatusTest::noLockPanesWhereNothingCanBeRead() {
    QVERIFY(Child<CXTIndicatorPane>("capIndicator") == nullptr);
    QVERIFY(Child<CXTIndicatorPane>("numIndicator") == nullptr);
    QVERIFY(Child<CXTIndicatorPane>("scrlIndicator") == nullptr);
    QVERIFY(Child<QTimer>("lockKeyTimer") == nullptr);
}

void CFrameStatusTest::captionBandOverTheList() {
    auto* pCaption = Child<CXTCaption>("caption");
    auto* pRight = Child<QSplitter>("rightSplitter");
    QVERIFY(pCaption && pRight);
    QCOMPARE(pCaption->Text(),
             QStringLiteral("Files and folders that will be permanently deleted"));
    QCOMPARE(pCaption->height(), 22);
    QVERIFY(pCaption->font().bold());
    QVERIFY(QFontMetrics(pCaption->font()).height() <= 18);
    QVERIFY(QFontMetrics(pCaption->font()).height() >= 15);
    QVERIFY(!pCaption->Icon().isNull());
    const QPalette& pal = pCaption->palette();
    QCOMPARE(pCaption->BorderColor(), pal.color(QPalette::Button));
    QCOMPARE(pCaption->BackgroundColor(), pal.color(QPalette::Dark));
    QCOMPARE(pCaption->TextColor(), pal.color(QPalette::Base));

    QCOMPARE(pRight->orientation(), Qt::Vertical);
    QCOMPARE(pRight->widget(0), pCaption);
    QCOMPARE(pRight->widget(1), m_pFrame->GetActiveView());
    QVERIFY(!pRight->handle(1)->isEnabled());  // the caption row cannot be dragged
    m_pFrame->resize(m_pFrame->width(), m_pFrame->height() + 120);
    QCoreApplication::processEvents();
    QCOMPARE(pCaption->height(), 22);

    // The list is the active view: it has the keyboard when the window opens.
    QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
    QCOMPARE(QApplication::focusWidget(), m_pFrame->GetActiveView());
}

void CFrameStatusTest::sidebarColumnIsASeventhOfTheWidth() {
    auto pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(pFrame);
    const int nCreatedWidth = pFrame->width();
    pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(pFrame.get()));
    auto* pOuter = pFrame->findChild<QSplitter*>(QStringLiteral("outerSplitter"));
    QVERIFY(pOuter);
    QCOMPARE(pFrame->centralWidget(), pOuter);
    QCOMPARE(pOuter->orientation(), Qt::Horizontal);
    QCOMPARE(pOuter->count(), 2);
    QCOMPARE(pOuter->widget(0)->objectName(), QStringLiteral("outBarPane"));
    QCOMPARE(pOuter->widget(1)->objectName(), QStringLiteral("rightSplitter"));
    QCOMPARE(pOuter->sizes().first(), nCreatedWidth / 7);
    QVERIFY(!pOuter->opaqueResize());

    // A wider window gives its new room to the list, not to the sidebar.
    pFrame->resize(pFrame->width() + 200, pFrame->height());
    QCoreApplication::processEvents();
    QCOMPARE(pOuter->sizes().first(), nCreatedWidth / 7);
}

QTEST_MAIN(CFrameStatusTest)
#include "frame_status_test.moc"

// The main frame's command set: menus, toolbar, texts and prompts, the enabling rules of the
// list commands on menus, toolbar and keys, and the list and help commands themselves.
#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "shell/CommandIds.h"
#include "tests/gui/gui_test_support.h"

using namespace quorrel;

class CFrameCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menusInOrder();
    void acceleratorsOnTheirCommands();
    void toolbarButtonsInOrder();
    void commandTextsPromptsAndTooltips();
    void enablingRules_data();
    void enablingRules();
    void deleteKeyFollowsTheSelection();
    void ctrlDeleteFollowsTheRowCount();
    void removeSelectedTakesNonAdjacentRows();
    void removeAllAsksFirst();
    void selectAllSelectsEveryRowKeepingTheCurrentOne();
    void titleStaysTheProgramName();
    void helpOpensTheShippedPage();
    void helpThatCannotOpenSaysSo();
    void frameKeysDoNothingInsideADialog();
    void exitClosesTheWindow();
    void everyWidgetTheKeyboardReachesHasAName();

private:
    QAction* Cmd(int nId) const { return m_pFrame->Action(nId); }
    CQuorrelView& View() const { return *m_pFrame->GetActiveView(); }
    QWidget* ButtonOf(int nId) const;

    QTemporaryDir m_config;
    std::unique_ptr<CMainFrame> m_pFrame;
    QList<QUrl> m_openedUrls;
    bool m_bOpenerSucceeds = true;
};

void CFrameCommandsTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    CMainFrame::SetUrlOpener([this](const QUrl& url) {
        m_openedUrls.append(url);
        return m_bOpenerSucceeds;
    });
}

void CFrameCommandsTest::init() {
    quorrel_test::ClearProfile(m_config);
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
    QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
    View().setFocus();
    m_openedUrls.clear();
    m_bOpenerSucceeds = true;
}

void CFrameCommandsTest::cleanup() {
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
}

QWidget* CFrameCommandsTest::ButtonOf(int nId) const {
    auto* pToolBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("toolBar"));
    return pToolBar ? pToolBar->widgetForAction(Cmd(nId)) : nullptr;
}

void CFrameCommandsTest::menusInOrder() {
    const QList<QAction*> menus = m_pFrame->MenuBar()->actions();
    QStringList titles;
    for (const QAction* pMenu : menus) {
        titles.append(pMenu->text());
    }
    QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Help"}));
    QCOMPARE(quorrel_test::MenuTexts(*menus[0]->menu()),
             QStringList({"Add F&iles...", "Add F&older...", "-", "WIPE Selected", "WIPE All", "-",
                          "WIPE Folder...", "WIPE Recycle Bin", "WIPE Free &Space...", "-",
                          "Options...", "-", "E&xit"}));
    QCOMPARE(quorrel_test::MenuTexts(*menus[1]->menu()),
             QStringList({"&Remove Selected Items", "Remove All Items", "-", "Select All"}));
    QCOMPARE(quorrel_test::MenuTexts(*menus[2]->menu()),
             QStringList({"&Toolbar", "&Status Bar", "-", "Action Log Window", "-",
                          "Restore Sidebar &Groups"}));
    QCOMPARE(quorrel_test::MenuTexts(*menus[3]->menu()),
             QStringList({"&Help Topics", "Tip of The Day...", "-", "&About Quorrel..."}));
    // The menu items are the commands themselves, shared with toolbar and context menu.
    QCOMPARE(menus[0]->menu()->actions().first(), Cmd(ID_ADD_FILES));
    QCOMPARE(menus[2]->menu()->actions().last(), Cmd(ID_VIEW_RESTORE_SIDEBAR));
}

void CFrameCommandsTest::acceleratorsOnTheirCommands() {
    QCOMPARE(Cmd(ID_ADD_FILES)->shortcut(), QKeySequence(Qt::Key_Insert));
    QCOMPARE(Cmd(ID_REMOVE_SELECTED)->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(Cmd(ID_REMOVE_ALL)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    QCOMPARE(Cmd(ID_HELP_FINDER)->shortcut(), QKeySequence(Qt::Key_F1));
    int nWithKeys = 0;
    for (const SCommandText& text : kCommandTexts) {
        nWithKeys += Cmd(text.nId)->shortcut().isEmpty() ? 0 : 1;
    }
    QCOMPARE(nWithKeys, 4);
}

void CFrameCommandsTest::toolbarButtonsInOrder() {
    auto* pToolBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("toolBar"));
    QVERIFY(pToolBar);
    QList<int> ids;
    for (QAction* pAction : pToolBar->actions()) {
        int nId = 0;
        for (const SCommandText& text : kCommandTexts) {
            nId = Cmd(text.nId) == pAction ? text.nId : nId;
        }
        QVERIFY2(pAction->isSeparator() || nId != 0, qPrintable(pAction->text()));
        ids.append(nId);
    }
    const QList<int> expected(std::begin(kToolbarCommands), std::end(kToolbarCommands));
    QCOMPARE(ids, expected);
    QCOMPARE(ids, QList<int>({32773, 32807, 0, 32784, 32785, 0, 32799, 32808, 0, 32778, 0, 32776,
                              32777, 0, 57664, 57667}));
    for (int nId : expected) {
        if (nId != 0) {
            auto* pButton = qobject_cast<QToolButton*>(ButtonOf(nId));
            QVERIFY(pButton);
            QVERIFY(!pButton->objectName().isEmpty());
            QVERIFY2(!Cmd(nId)->icon().isNull(), FindCommandText(nId)->pszObjectName);
            QCOMPARE(pButton->toolTip(), QString::fromUtf8(FindCommandText(nId)->pszTooltip));
        }
    }
}

void CFrameCommandsTest::commandTextsPromptsAndTooltips() {
    const struct {
        int nId;
        const char* pszPrompt;
        const char* pszTooltip;
    } expected[] = {
        {32773, "Add files to list box thet will be deleted", "Add files"},
        {32807, "Add folder to list box thet will be deleted", "Add folder"},
        {32784, "Permanently delete selected files", "WIPE Selected"},
        {32785, "Permanently delete all files from list", "WIPE All"},
        {32799, "Permanently delete all files from specific folder", "WIPE Folder"},
        {32808, "Permanently delete all files from recycle bin", "WIPE Recycle Bin"},
        {32778, "Program options", "Options"},
        {32776, "Remove only selected items from a list box", "Remove selected items"},
        {32777, "Empty list box", "Remove all items"},
        {32781, "Select all items in the list", "Select all"},
        {32771, "Shows Tip Of The Day dialog box", nullptr},
        {57664, "Display program information, version number and copyright", "About"},
        {57665, "Quit the application; prompts to save documents", "Exit"},
        {57667, "List Help topics", "Help Topics"},
        {59392, "Show or hide the toolbar", "Toggle ToolBar"},
        {59393, "Show or hide the status bar", "Toggle StatusBar"},
        {17001, "", nullptr},
    };
    for (const auto& command : expected) {
        QAction* pAction = Cmd(command.nId);
        QVERIFY2(pAction, qPrintable(QString::number(command.nId)));
        QVERIFY(!pAction->objectName().isEmpty());
        QCOMPARE(pAction->statusTip(), QString::fromUtf8(command.pszPrompt));
        if (command.pszTooltip != nullptr) {
            QCOMPARE(pAction->toolTip(), QString::fromUtf8(command.pszTooltip));
        }
    }
    QVERIFY(Cmd(12345) == nullptr);
}

void CFrameCommandsTest::enablingRules_data() {
    QTest::addColumn<int>("nRows");
    QTest::addColumn<QList<int>>("selected");
    QTest::newRow("empty list") << 0 << QList<int>();
    QTest::newRow("rows, none selected") << 3 << QList<int>();
    QTest::newRow("one row selected") << 3 << QList<int>({1});
    QTest::newRow("every row selected") << 2 << QList<int>({0, 1});
}

void CFrameCommandsTest::enablingRules() {
    QFETCH(int, nRows);
    QFETCH(QList<int>, selected);
    for (int i = 0; i < nRows; ++i) {
        quorrel_test::AddRows(View(), {QByteArray("/tmp/row") + QByteArray::number(i)});
    }
    for (int nRow : selected) {
        View().SetItemSelected(nRow, true);
    }
    const bool bHasSelection = !selected.isEmpty();
    const bool bNotEmpty = nRows > 0;
    const struct {
        int nId;
        bool bEnabled;
    } rules[] = {{ID_WIPE_SELECTED, bHasSelection},
                 {ID_REMOVE_SELECTED, bHasSelection},
                 {ID_WIPE_ALL, bNotEmpty},
                 {ID_REMOVE_ALL, bNotEmpty},
                 {ID_SELECT_ALL, true},
                 {ID_ADD_FILES, true},
                 {ID_ADD_FOLDER, true},
                 {ID_OPTIONS, true},
                 {ID_WIPE_FOLDER, true},
                 {ID_WIPE_RECYCLE_BIN, true}};
    for (const auto& rule : rules) {
        const char* pszName = FindCommandText(rule.nId)->pszObjectName;
        QVERIFY2(Cmd(rule.nId)->isEnabled() == rule.bEnabled, pszName);
        if (QWidget* pButton = ButtonOf(rule.nId)) {
            QVERIFY2(pButton->isEnabled() == rule.bEnabled, pszName);
        }
    }
    // Taking the selection away greys the selection commands again.
    View().clearSelection();
    QVERIFY(!Cmd(ID_WIPE_SELECTED)->isEnabled());
    QVERIFY(!ButtonOf(ID_REMOVE_SELECTED)->isEnabled());
    QCOMPARE(Cmd(ID_WIPE_ALL)->isEnabled(), bNotEmpty);
}

void CFrameCommandsTest::deleteKeyFollowsTheSelection() {
    quorrel_test::AddRows(View(), {"/tmp/a", "/tmp/b", "/tmp/c"});
    QTest::keyClick(&View(), Qt::Key_Delete);
    QCOMPARE(View().GetItemCount(), 3);  // nothing selected: the key does nothing

    View().SetItemSelected(1, true);
    QTest::keyClick(&View(), Qt::Key_Delete);
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/tmp/c", "/tmp/a"}));
    QCOMPARE(View().GetSelectedCount(), 0);
    QVERIFY(!Cmd(ID_REMOVE_SELECTED)->isEnabled());
    QVERIFY(CMessageBox::ShownTexts().isEmpty());  // Remove Selected asks nothing
}

void CFrameCommandsTest::ctrlDeleteFollowsTheRowCount() {
    QTest::keyClick(&View(), Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(CMessageBox::ShownTexts().isEmpty());  // empty list: no question at all

    quorrel_test::AddRows(View(), {"/tmp/a", "/tmp/b"});
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    QTest::keyClick(&View(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(CMessageBox::ShownTexts(),
             QStringList({"Do you realy want to remove all files from the list?"}));
    QCOMPARE(View().GetItemCount(), 0);
    QVERIFY(!Cmd(ID_REMOVE_ALL)->isEnabled());
}

void CFrameCommandsTest::removeSelectedTakesNonAdjacentRows() {
    quorrel_test::AddRows(View(), {"/f", "/e", "/d", "/c", "/b", "/a"});
    for (int nRow : {0, 2, 5}) {
        View().SetItemSelected(nRow, true);
    }
    View().setCurrentIndex(View().model()->index(3, 0));  // "/d" stays and keeps the focus
    View().SetItemSelected(3, false);
    Cmd(ID_REMOVE_SELECTED)->trigger();
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/b", "/d", "/e"}));
    QCOMPARE(View().GetSelectedCount(), 0);
    QCOMPARE(View().currentIndex().row(), 1);
    QVERIFY(!View().ContainsPath("/f") && View().ContainsPath("/e"));
}

void CFrameCommandsTest::removeAllAsksFirst() {
    quorrel_test::AddRows(View(), {"/tmp/one", "/tmp/two"});
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    Cmd(ID_REMOVE_ALL)->trigger();
    QCOMPARE(CMessageBox::ShownTexts(),
             QStringList({"Do you realy want to remove all files from the list?"}));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/tmp/two", "/tmp/one"}));

    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    Cmd(ID_REMOVE_ALL)->trigger();
    QCOMPARE(CMessageBox::ShownTexts().size(), 2);
    QCOMPARE(View().GetItemCount(), 0);
    QVERIFY(!Cmd(ID_WIPE_ALL)->isEnabled());

    // Called directly (as the sidebar does) on an empty list it still asks.
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    m_pFrame->OnRemoveAll();
    QCOMPARE(CMessageBox::ShownTexts().size(), 3);
    QCOMPARE(View().GetItemCount(), 0);
}

void CFrameCommandsTest::selectAllSelectsEveryRowKeepingTheCurrentOne() {
    Cmd(ID_SELECT_ALL)->trigger();  // an empty list: nothing to do, nothing goes wrong
    QCOMPARE(View().GetSelectedCount(), 0);

    quorrel_test::AddRows(View(), {"/a", "/b", "/c", "/d"});
    View().setCurrentIndex(View().model()->index(2, 0));
    View().SetItemSelected(0, true);
    const QModelIndex current = View().currentIndex();
    Cmd(ID_SELECT_ALL)->trigger();
    QCOMPARE(View().GetSelectedCount(), 4);
    QCOMPARE(View().currentIndex(), current);
    QVERIFY(Cmd(ID_WIPE_SELECTED)->isEnabled());
}

void CFrameCommandsTest::titleStaysTheProgramName() {
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Quorrel"));
    m_pFrame->setWindowTitle(QStringLiteral("Untitled - Quorrel"));
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Quorrel"));
    m_pFrame->setWindowFilePath(QStringLiteral("/tmp/some document.txt"));
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Quorrel"));
    quorrel_test::AddRows(View(), {"/tmp/a"});
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Quorrel"));
}

void CFrameCommandsTest::helpOpensTheShippedPage() {
    QTest::keyClick(&View(), Qt::Key_F1);
    QCOMPARE(m_openedUrls.size(), 1);
    const QUrl url = m_openedUrls.first();
    QVERIFY(url.isLocalFile());
    QVERIFY(url.toLocalFile().endsWith(QStringLiteral("help/index.html")));
    QFile page(url.toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    QVERIFY(html.contains("The four methods"));
    QVERIFY(html.contains("What survives shredding"));
    QVERIFY(CMessageBox::ShownTexts().isEmpty());

    Cmd(ID_HELP_FINDER)->trigger();
    QCOMPARE(m_openedUrls.size(), 2);
}

void CFrameCommandsTest::helpThatCannotOpenSaysSo() {
    m_bOpenerSucceeds = false;
    CMessageBox::SetNextAnswer(CMessageBox::IdOk);
    Cmd(ID_HELP_FINDER)->trigger();
    QCOMPARE(m_openedUrls.size(), 1);
    QCOMPARE(CMessageBox::ShownTexts().size(), 1);
    QVERIFY(CMessageBox::ShownTexts().first().contains(QStringLiteral("help could not be opened")));
}

void CFrameCommandsTest::frameKeysDoNothingInsideADialog() {
    quorrel_test::AddRows(View(), {"/tmp/a"});
    View().SetItemSelected(0, true);
    // A modal dialog over the frame, as Options is: the frame's keys stay with the frame.
    QDialog dialog(m_pFrame.get());
    dialog.setObjectName(QStringLiteral("someDialog"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    for (int nKey : {int(Qt::Key_F1), int(Qt::Key_Delete), int(Qt::Key_Insert)}) {
        QTest::keyClick(&dialog, Qt::Key(nKey));
    }
    QTest::keyClick(&dialog, Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(m_openedUrls.isEmpty());
    QCOMPARE(View().GetItemCount(), 1);
    dialog.close();
    // Back in the frame the same key works.
    m_pFrame->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_pFrame.get());
    QTest::keyClick(&View(), Qt::Key_F1);
    QCOMPARE(m_openedUrls.size(), 1);
}

void CFrameCommandsTest::exitClosesTheWindow() {
    QVERIFY(m_pFrame->isVisible());
    Cmd(ID_APP_EXIT)->trigger();
    QVERIFY(!m_pFrame->isVisible());
}

// A screen reader names what the keyboard lands on: each shown widget that takes the focus has
// a name of its own, or the text or tool tip it shows.
void CFrameCommandsTest::everyWidgetTheKeyboardReachesHasAName() {
    QStringList unnamed;
    for (QWidget* pWidget : m_pFrame->findChildren<QWidget*>()) {
        if (pWidget->focusPolicy() == Qt::NoFocus || !pWidget->isVisibleTo(m_pFrame.get()) ||
            pWidget->focusProxy() != nullptr) {
            continue;
        }
        QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(pWidget);
        if (pAccessible == nullptr || pAccessible->text(QAccessible::Name).isEmpty()) {
            unnamed.append(pWidget->objectName() + QLatin1Char(':') +
                           QLatin1String(pWidget->metaObject()->className()));
        }
    }
    QCOMPARE(unnamed, QStringList());
}

QTEST_MAIN(CFrameCommandsTest)
#include "frame_commands_test.moc"

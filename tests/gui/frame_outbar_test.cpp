// The sidebar in the real main window: its two folders as the program builds them, its items
// running the commands they stand for (without the enabling rules), wherever removals moved
// them, and the removal questions.
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QSplitter>
#include <QTimer>
#include <QWindow>

#include "engine/runs/Runs.h"
#include "shell/AppSettings.h"
#include "shell/FileDialog.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"
#include "toolkit/OutBarCtrl.h"

using namespace quorrel;

class CFrameOutBarTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buildsTwoFoldersOfShortcuts();
    void wipeSelectedWithNothingSelectedAsksAndRuns();
    void itemsRunTheCommandOfTheirFolder();
    void shortcutsBelowARemovedOneKeepTheirCommands();
    void removingTheShownFolderShowsTheOtherOne();
    void removedFoldersComeBackFromTheEmptyPaneOrTheViewMenu();
    void keyboardReachesAndRunsTheShortcuts();

private:
    CXTOutBarCtrl& Bar() const { return *m_pFrame->findChild<CXTOutBarCtrl*>("outBar"); }
    CQuorrelView& View() const { return *m_pFrame->GetActiveView(); }
    void Click(const QPoint& point) { QTest::mouseClick(&Bar(), Qt::LeftButton, {}, point); }
    void ClickItem(int nIndex) { Click(Bar().GetIconRect(nIndex).center()); }
    void ClickHeader(int nFolder) { Click(Bar().GetFolderRect(nFolder).center()); }
    // Right-clicks `point` of the sidebar and chooses the menu entry `pszChoice`.
    void ChooseFromMenu(const QPoint& point, const char* pszChoice);
    QStringList NewLogLines() const;
    QStringList ItemTexts() const;

    QTemporaryDir m_config;
    std::unique_ptr<CMainFrame> m_pFrame;
    int m_nLogStart = 0;
};

void CFrameOutBarTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    CFileDialog::SetRefuseUnanswered(true);
}

void CFrameOutBarTest::init() {
    quorrel_test::ClearProfile(m_config);
    WipeMethod() = 0;
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
    QVERIFY(m_pFrame->findChild<CXTOutBarCtrl*>("outBar"));
    // Tall enough for every shortcut of the first folder to be in view, whatever size of
    // screen the platform reports (Qt 5's offscreen screen makes a shorter first window).
    m_pFrame->resize(640, 600);
    QCoreApplication::processEvents();
    m_nLogStart = m_pFrame->OutputBar().LogList().count();
    CFileDialog::ClearAnswers();
}

void CFrameOutBarTest::cleanup() {
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
    CFileDialog::ClearAnswers();
}

void CFrameOutBarTest::ChooseFromMenu(const QPoint& point, const char* pszChoice) {
    bool bChosen = false;
    QTimer::singleShot(50, this, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QAction* pAction = nullptr;
        for (QAction* pEntry : pMenu != nullptr ? pMenu->actions() : QList<QAction*>()) {
            pAction = pEntry->objectName() == QLatin1String(pszChoice) ? pEntry : pAction;
        }
        if (pAction != nullptr) {
            bChosen = true;
            QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAction).center());
        } else if (pMenu != nullptr) {
            pMenu->close();
        }
    });
    QWindow* pWindow = m_pFrame->windowHandle();
    QTest::mouseClick(pWindow, Qt::RightButton, {}, Bar().mapTo(m_pFrame.get(), point));
    QTRY_VERIFY(bChosen);
}

QStringList CFrameOutBarTest::NewLogLines() const {
    const QListWidget& log = m_pFrame->OutputBar().LogList();
    QStringList lines;
    for (int nRow = m_nLogStart; nRow < log.count(); ++nRow) {
        lines.append(log.item(nRow)->text());
    }
    return lines;
}

QStringList CFrameOutBarTest::ItemTexts() const {
    QStringList texts;
    for (int n = 0; n < Bar().GetItemCount(); ++n) {
        texts.append(Bar().GetItemText(n));
    }
    return texts;
}

void CFrameOutBarTest::buildsTwoFoldersOfShortcuts() {
    QCOMPARE(Bar().GetFolderCount(), 2);
    QCOMPARE(Bar().GetFolderText(0), QStringLiteral("Wipe"));
    QCOMPARE(Bar().GetFolderText(1), QStringLiteral("Other"));
    QCOMPARE(Bar().GetSelFolder(), 0);
    QVERIFY(!Bar().IsSmallIconView());
    QCOMPARE(Bar().GetFlags(), quint32(0xFC));
    QCOMPARE(Bar().GetImageList(true)->GetImageSize(), QSize(32, 32));
    QCOMPARE(Bar().GetImageList(false)->GetImageSize(), QSize(16, 16));
    QCOMPARE(Bar().GetImageList(true)->GetImageCount(), 10);
    QCOMPARE(Bar().GetImageList(false)->GetImageCount(), 10);
    QCOMPARE(ItemTexts(),
             QStringList({"Add file(s) to list", "Add folder to list", "WIPE selected items",
                          "WIPE all items", "WIPE Folder", "WIPE Recycle Bin", "WIPE Free Space"}));
    QList<int> images;
    for (int n = 0; n < Bar().GetItemCount(); ++n) {
        images.append(Bar().GetItemImage(n));
        QCOMPARE(Bar().GetItemData(n), quint32(0));
    }
    QCOMPARE(images, QList<int>({0, 8, 1, 2, 6, 7, 9}));
    ClickHeader(1);
    QCOMPARE(ItemTexts(), QStringList({"Remove selected items from list",
                                       "Remove all items from list", "Options"}));
    QCOMPARE(Bar().GetItemImage(0), 3);
    QCOMPARE(Bar().GetItemImage(1), 4);
    QCOMPARE(Bar().GetItemImage(2), 5);
    // The column sits in the outer splitter's left pane (its width is frame_status_test's).
    auto* pSplitter = m_pFrame->findChild<QSplitter*>(QStringLiteral("outerSplitter"));
    QVERIFY(pSplitter);
    QVERIFY(pSplitter->widget(0)->isAncestorOf(&Bar()));
}

// The handler runs as it is: no enabling rule keeps "WIPE selected items" from an empty list.
void CFrameOutBarTest::wipeSelectedWithNothingSelectedAsksAndRuns() {
    QCOMPARE(View().GetItemCount(), 0);
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    ClickItem(2);
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({QString::fromUtf8(kWipeListQuestion)}));
    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0],
             QStringLiteral("- Deleteing files using: Simple (1 pass: writes 0x00) algorithm."));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^- Time: \\d+ seconds\\.$")).match(lines[1]).hasMatch(),
        qPrintable(lines[1]));
    QCOMPARE(Bar().GetHighlightedItem(), 2);
}

void CFrameOutBarTest::itemsRunTheCommandOfTheirFolder() {
    quorrel_test::AddRows(View(), {"/nonexistent/a", "/nonexistent/b"});  // b on top
    View().SetItemSelected(0, true);
    ClickHeader(1);
    QCOMPARE(Bar().GetSelFolder(), 1);
    ClickItem(0);  // Remove Selected: asks nothing
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/nonexistent/a"}));
    QCOMPARE(CMessageBox::ShownTexts(), QStringList());

    ClickHeader(0);
    QCOMPARE(Bar().GetSelFolder(), 0);
    const QString added = m_config.path() + QStringLiteral("/added.txt");
    QFile file(added);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    CFileDialog::SetNextFiles({added});
    ClickItem(0);  // Add Files
    QCOMPARE(CFileDialog::AskedCount(), 1);
    QCOMPARE(View().GetItemCount(), 2);
    QVERIFY(View().ContainsPath(QFile::encodeName(added)));
}

void CFrameOutBarTest::shortcutsBelowARemovedOneKeepTheirCommands() {
    const QStringList before = ItemTexts();
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    ChooseFromMenu(Bar().GetIconRect(1).center(), "outBarRemoveItem");
    QCOMPARE(CMessageBox::ShownTexts(),
             QStringList({"Are you sure you want to remove this folder shortcut?"}));
    QCOMPARE(ItemTexts(), before);
    QCOMPARE(Bar().GetFolderCount(), 2);
    // Yes lets "Add folder to list" go; "WIPE selected items" moves up into its place and
    // still asks the WIPE question, where its old position would have opened a folder chooser.
    CMessageBox::ClearShown();
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    ChooseFromMenu(Bar().GetIconRect(1).center(), "outBarRemoveItem");
    QCOMPARE(Bar().GetItemCount(), 6);
    QCOMPARE(Bar().GetItemText(1), QStringLiteral("WIPE selected items"));
    CMessageBox::ClearShown();
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    ClickItem(1);
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({QString::fromUtf8(kWipeListQuestion)}));
    QCOMPARE(CFileDialog::AskedCount(), 0);
}

// The shown folder "Wipe" goes: "Other" takes its place (and index 0), and its shortcuts run
// their own commands, not those of the folder that was there.
void CFrameOutBarTest::removingTheShownFolderShowsTheOtherOne() {
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    ChooseFromMenu(Bar().GetFolderRect(0).center(), "outBarRemoveFolder");
    QCOMPARE(CMessageBox::ShownTexts(),
             QStringList({"Are you sure you want to remove the specified folder?"}));
    QCOMPARE(Bar().GetFolderCount(), 2);
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    ChooseFromMenu(Bar().GetFolderRect(0).center(), "outBarRemoveFolder");
    QCOMPARE(Bar().GetFolderCount(), 1);
    QCOMPARE(Bar().GetFolderText(0), QStringLiteral("Other"));
    QCOMPARE(Bar().GetSelFolder(), 0);
    quorrel_test::AddRows(View(), {"/nonexistent/a", "/nonexistent/b"});
    View().SetItemSelected(0, true);
    ClickItem(0);  // Remove Selected, not Add Files
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/nonexistent/a"}));
    QCOMPARE(CFileDialog::AskedCount(), 0);
}

void CFrameOutBarTest::removedFoldersComeBackFromTheEmptyPaneOrTheViewMenu() {
    for (int i = 0; i < 2; ++i) {
        CMessageBox::SetNextAnswer(CMessageBox::IdYes);
        ChooseFromMenu(Bar().GetFolderRect(0).center(), "outBarRemoveFolder");
    }
    QCOMPARE(Bar().GetFolderCount(), 0);
    // The empty pane's own menu offers the way back, and so does the View menu.
    ChooseFromMenu(QPoint(Bar().width() / 2, Bar().height() / 2), "viewRestoreSidebar");
    QCOMPARE(Bar().GetFolderCount(), 2);
    QCOMPARE(Bar().GetSelFolder(), 0);
    QCOMPARE(Bar().GetItemCount(), 7);
    QCOMPARE(Bar().GetItemCount(1), 3);
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    ChooseFromMenu(Bar().GetFolderRect(1).center(), "outBarRemoveFolder");
    m_pFrame->findChild<QAction*>(QStringLiteral("viewRestoreSidebar"))->trigger();
    QCOMPARE(Bar().GetFolderCount(), 2);
    QCOMPARE(Bar().GetFolderText(1), QStringLiteral("Other"));
}

// Tab reaches the sidebar; Down moves between shortcuts, Right opens the other folder, and
// Enter runs the shortcut the keyboard is on: "Remove selected items from list".
void CFrameOutBarTest::keyboardReachesAndRunsTheShortcuts() {
    QVERIFY(Bar().focusPolicy() & Qt::TabFocus);
    QVERIFY(!Bar().accessibleName().isEmpty());
    quorrel_test::AddRows(View(), {"/nonexistent/a", "/nonexistent/b"});
    View().SetItemSelected(0, true);
    Bar().setFocus(Qt::TabFocusReason);
    QCOMPARE(Bar().GetFocusItem(), 0);
    QTest::keyClick(&Bar(), Qt::Key_Down);
    QCOMPARE(Bar().GetFocusItem(), 1);
    QTest::keyClick(&Bar(), Qt::Key_Right);
    QCOMPARE(Bar().GetSelFolder(), 1);
    QCOMPARE(Bar().GetFocusItem(), 0);
    QTest::keyClick(&Bar(), Qt::Key_Space);
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/nonexistent/a"}));
    QCOMPARE(Bar().GetHighlightedItem(), 0);
}

QTEST_MAIN(CFrameOutBarTest)
#include "frame_outbar_test.moc"

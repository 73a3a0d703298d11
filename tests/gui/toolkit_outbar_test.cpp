// The sidebar control on its own, driven by real mouse events: clicks that count and clicks
// that do not, the owner's vetoes, the scroll arrows and their repeat, hover, the right-click
// menu, removal, renaming in place and the icon size.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <utility>

#include "toolkit/ImageList.h"
#include "toolkit/OutBarCtrl.h"

using namespace quorrel;

namespace {

// The control's signals, numbered for the notes below.
enum ENote : int {
    OutBarItemClick = 1,
    OutBarItemRenamed = 2,
    OutBarFolderRenamed = 3,
    OutBarFolderChange = 5,
    OutBarHighlightChange = 6,
    OutBarDeleteItem = 7,
    OutBarDeleteFolder = 8,
};

// A receiver of every signal that writes each one down and answers as told (allow unless
// told otherwise).
class COwner : public QObject {
public:
    struct SNote {
        int nCode;
        SXTOutBarInfo info;
    };
    QList<SNote> notes;
    QHash<int, int> answers;

    void Listen(CXTOutBarCtrl* pBar) {
        const std::pair<int, void (CXTOutBarCtrl::*)(const SXTOutBarInfo&, bool*)> kinds[] = {
            {OutBarItemClick, &CXTOutBarCtrl::ItemClicked},
            {OutBarItemRenamed, &CXTOutBarCtrl::ItemRenamed},
            {OutBarFolderRenamed, &CXTOutBarCtrl::FolderRenamed},
            {OutBarFolderChange, &CXTOutBarCtrl::FolderChanging},
            {OutBarHighlightChange, &CXTOutBarCtrl::HighlightChanging},
            {OutBarDeleteItem, &CXTOutBarCtrl::ItemRemoving},
            {OutBarDeleteFolder, &CXTOutBarCtrl::FolderRemoving},
        };
        for (const auto& [nCode, signal] : kinds) {
            connect(pBar, signal, this,
                    [this, nCode = nCode](const SXTOutBarInfo& info, bool* pAllow) {
                        notes.append({nCode, info});
                        *pAllow = answers.value(nCode, 1) != 0;
                    });
        }
    }
    int Count(int nCode) const {
        int nCount = 0;
        for (const SNote& note : notes) {
            nCount += note.nCode == nCode ? 1 : 0;
        }
        return nCount;
    }
    const SNote* Last(int nCode) const {
        for (auto it = notes.crbegin(); it != notes.crend(); ++it) {
            if (it->nCode == nCode) {
                return &*it;
            }
        }
        return nullptr;
    }
};

QIcon Swatch(const QColor& color) {
    QPixmap pixmap(32, 32);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

class CToolkitOutBarTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void clickOnItemSendsItsIndex();
    void clickEndingOutsideTheItemSendsNothing();
    void refusedClickLeavesNoHighlight();
    void headerClickSelectsTheFolder();
    void refusedFolderChangeKeepsTheFolder();
    void headerReleasedElsewhereSelectsNothing();
    void ownerSelectingAFolderIsAskedToo();
    void unheardSidebarChangesNothing();
    void shortClickOnArrowScrollsOneItem();
    void heldArrowRepeatsEveryTimerTick();
    void heldArrowDraggedOffPauses();
    void hoverFollowsAndClearsWhenThePointerLeaves();
    void itemMenuOffersRemoveAndRename();
    void headerMenuOffersGroupEntries();
    void menuFollowsTheFlags();
    void refusedRemovalKeepsTheItem();
    void removalMovesTheItemsBelowUp();
    void refusedFolderRemovalKeepsTheFolder();
    void renameThroughTheEditor();
    void refusedRenameKeepsTheText();
    void escapeDropsTheEdit();
    void renameGroupThroughTheEditor();
    void iconSizeSwitch();

private:
    // A host window with a sidebar of `nFlags`: folder "Alpha" with `nItems` items and folder
    // "Beta" with two.
    void Build(quint32 nFlags, int nItems, const QSize& size);
    QPoint ItemPoint(int nIndex) const { return m_pBar->GetIconRect(nIndex).center(); }
    QPoint HeaderPoint(int nFolder) const { return m_pBar->GetFolderRect(nFolder).center(); }
    void Click(const QPoint& point) { QTest::mouseClick(m_pBar, Qt::LeftButton, {}, point); }
    // Moves the pointer to `point` with the left button held down since a mousePress: sent
    // to the sidebar itself, which has the pointer until the release (QTest::mouseMove would
    // move the cursor instead, on Qt 5 even with a button held).
    void Drag(const QPoint& point);
    // Right-clicks `point` through the window system (which turns it into a context menu
    // request), reads the menu that opens and clicks its entry `pszChoice` (none: closes it).
    QStringList RightClick(const QPoint& point, const char* pszChoice = nullptr,
                           QStringList* pChecked = nullptr);

    QTemporaryDir m_config;
    std::unique_ptr<QWidget> m_pHost;
    CXTOutBarCtrl* m_pBar = nullptr;
    COwner m_owner;
    CImageList m_large;
    CImageList m_small;
};

void CToolkitOutBarTest::initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QVERIFY(m_large.Create(32, 32));
    QVERIFY(m_small.Create(16, 16));
    for (const QColor& color : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        m_large.Add(Swatch(color));
        m_small.Add(Swatch(color));
    }
}

void CToolkitOutBarTest::init() {
    Build(CXTOutBarCtrl::FlagsDefault, 4, QSize(160, 480));
}

void CToolkitOutBarTest::cleanup() {
    m_pHost.reset();
    m_pBar = nullptr;
    m_owner.notes.clear();
    m_owner.answers.clear();
}

void CToolkitOutBarTest::Build(quint32 nFlags, int nItems, const QSize& size) {
    m_pHost = std::make_unique<QWidget>();
    m_pHost->resize(size.width() + 100, size.height() + 40);
    m_pBar = new CXTOutBarCtrl;
    QVERIFY(m_pBar->Create(QRect(QPoint(20, 20), size), m_pHost.get(), nFlags));
    m_pBar->setObjectName(QStringLiteral("outBar"));
    m_owner.Listen(m_pBar);
    m_pBar->SetImageList(&m_large, true);
    m_pBar->SetImageList(&m_small, false);
    const int nAlpha = m_pBar->AddFolder(QStringLiteral("Alpha"), 10);
    for (int n = 0; n < nItems; ++n) {
        m_pBar->InsertItem(nAlpha, n, QStringLiteral("Item %1").arg(n), n % 3, 100 + n);
    }
    const int nBeta = m_pBar->AddFolder(QStringLiteral("Beta"), 11);
    m_pBar->InsertItem(nBeta, 0, QStringLiteral("Beta 0"), 0, 0);
    m_pBar->InsertItem(nBeta, 1, QStringLiteral("Beta 1"), 1, 0);
    m_pHost->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pHost.get()));
    m_owner.notes.clear();
}

void CToolkitOutBarTest::Drag(const QPoint& point) {
    QMouseEvent move(QEvent::MouseMove, point, m_pBar->mapToGlobal(point), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pBar, &move);
}

QStringList CToolkitOutBarTest::RightClick(const QPoint& point, const char* pszChoice,
                                           QStringList* pChecked) {
    QStringList texts;
    bool bSeen = false;
    QTimer::singleShot(50, this, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr) {
            return;
        }
        bSeen = true;
        QAction* pChoice = nullptr;
        for (QAction* pAction : pMenu->actions()) {
            texts.append(pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
            if (pChecked != nullptr && pAction->isChecked()) {
                pChecked->append(pAction->text());
            }
            if (pszChoice != nullptr && pAction->objectName() == QLatin1String(pszChoice)) {
                pChoice = pAction;
            }
        }
        if (pChoice != nullptr) {
            QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pChoice).center());
        } else {
            pMenu->close();
        }
    });
    QWindow* pWindow = m_pHost->windowHandle();
    const QPoint at = m_pBar->mapTo(m_pHost.get(), point);
    QTest::mouseClick(pWindow, Qt::RightButton, {}, at);
    // A menu that never opened leaves `texts` empty, which no caller expects.
    if (!QTest::qWaitFor([&] { return bSeen; }, 5000)) {
        QTest::qFail("no context menu opened", __FILE__, __LINE__);
    }
    if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 5000)) {
        QTest::qFail("the context menu stayed open", __FILE__, __LINE__);
    }
    return texts;
}

void CToolkitOutBarTest::clickOnItemSendsItsIndex() {
    Click(ItemPoint(2));
    QCOMPARE(m_owner.Count(OutBarItemClick), 1);
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.nIndex, 2);
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.text, QStringLiteral("Item 2"));
    QCOMPARE(m_pBar->GetHighlightedItem(), 2);
    // A click on the label counts as one on the icon.
    Click(m_pBar->GetLabelRect(1).center());
    QCOMPARE(m_owner.Count(OutBarItemClick), 2);
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.nIndex, 1);
    QCOMPARE(m_pBar->GetHighlightedItem(), 1);
}

void CToolkitOutBarTest::clickEndingOutsideTheItemSendsNothing() {
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, ItemPoint(1));
    Drag(QPoint(-15, ItemPoint(1).y()));  // off the control: still ours
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, QPoint(-15, ItemPoint(1).y()));
    // Pressed on one item, released on another: no click either.
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, ItemPoint(1));
    Drag(ItemPoint(2));
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, ItemPoint(2));
    QCOMPARE(m_owner.Count(OutBarItemClick), 0);
    QCOMPARE(m_pBar->GetHighlightedItem(), -1);
    // Back on the item before the release, the click counts.
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, ItemPoint(1));
    Drag(QPoint(-15, 5));
    Drag(ItemPoint(1));
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, ItemPoint(1));
    QCOMPARE(m_owner.Count(OutBarItemClick), 1);
}

void CToolkitOutBarTest::refusedClickLeavesNoHighlight() {
    m_owner.answers.insert(OutBarItemClick, 0);
    Click(ItemPoint(0));
    QCOMPARE(m_owner.Count(OutBarItemClick), 1);
    QCOMPARE(m_owner.Count(OutBarHighlightChange), 0);
    QCOMPARE(m_pBar->GetHighlightedItem(), -1);
    // A refused highlight change keeps the old one.
    m_owner.answers.clear();
    Click(ItemPoint(0));
    QCOMPARE(m_pBar->GetHighlightedItem(), 0);
    m_owner.answers.insert(OutBarHighlightChange, 0);
    Click(ItemPoint(3));
    QCOMPARE(m_owner.Last(OutBarHighlightChange)->info.nIndex, 3);
    QCOMPARE(m_pBar->GetHighlightedItem(), 0);
}

void CToolkitOutBarTest::headerClickSelectsTheFolder() {
    Click(ItemPoint(1));
    Click(HeaderPoint(1));
    QCOMPARE(m_owner.Count(OutBarFolderChange), 1);
    QCOMPARE(m_owner.Last(OutBarFolderChange)->info.nIndex, 1);
    QCOMPARE(m_owner.Last(OutBarFolderChange)->info.text, QStringLiteral("Beta"));
    QCOMPARE(m_pBar->GetSelFolder(), 1);
    QCOMPARE(m_pBar->GetHighlightedItem(), -1);
    QCOMPARE(m_pBar->GetItemCount(), 2);
    QCOMPARE(m_pBar->GetItemText(0), QStringLiteral("Beta 0"));
    // The open folder's header moved up under "Alpha"; clicking it again selects nothing.
    Click(HeaderPoint(1));
    QCOMPARE(m_owner.Count(OutBarFolderChange), 1);
    // The items of the new folder run with their own indexes.
    Click(ItemPoint(1));
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.text, QStringLiteral("Beta 1"));
}

void CToolkitOutBarTest::refusedFolderChangeKeepsTheFolder() {
    m_owner.answers.insert(OutBarFolderChange, 0);
    Click(ItemPoint(2));
    const QRect items = m_pBar->GetIconRect(0);
    Click(HeaderPoint(1));
    QCOMPARE(m_owner.Count(OutBarFolderChange), 1);
    QCOMPARE(m_pBar->GetSelFolder(), 0);
    QCOMPARE(m_pBar->GetItemText(0), QStringLiteral("Item 0"));
    QCOMPARE(m_pBar->GetIconRect(0), items);
    QCOMPARE(m_pBar->GetHighlightedItem(), 2);
}

void CToolkitOutBarTest::headerReleasedElsewhereSelectsNothing() {
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, HeaderPoint(1));
    Drag(ItemPoint(0));
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, ItemPoint(0));
    QCOMPARE(m_owner.notes.size(), 0);
    QCOMPARE(m_pBar->GetSelFolder(), 0);
}

void CToolkitOutBarTest::ownerSelectingAFolderIsAskedToo() {
    QVERIFY(m_pBar->SetSelFolder(1));
    QCOMPARE(m_owner.Count(OutBarFolderChange), 1);
    m_owner.answers.insert(OutBarFolderChange, 0);
    QVERIFY(!m_pBar->SetSelFolder(0));
    QCOMPARE(m_pBar->GetSelFolder(), 1);
    QVERIFY(!m_pBar->SetSelFolder(5));
}

// The answer starts as a refusal: with nobody listening, nothing can be changed.
void CToolkitOutBarTest::unheardSidebarChangesNothing() {
    m_pBar->disconnect(&m_owner);
    QVERIFY(!m_pBar->SetSelFolder(1));
    Click(ItemPoint(1));
    QVERIFY(!m_pBar->RemoveItem(0));
    QCOMPARE(m_pBar->GetSelFolder(), 0);
    QCOMPARE(m_pBar->GetHighlightedItem(), -1);
    QCOMPARE(m_pBar->GetItemCount(), 4);
    QCOMPARE(m_owner.notes.size(), 0);
}

void CToolkitOutBarTest::shortClickOnArrowScrollsOneItem() {
    Build(CXTOutBarCtrl::FlagsDefault, 12, QSize(160, 300));
    QVERIFY(m_pBar->GetArrowRect(true).isNull());
    const QRect down = m_pBar->GetArrowRect(false);
    QVERIFY(!down.isNull());
    QCOMPARE(m_pBar->HitTest(down.center()), int(CXTOutBarCtrl::HitDownArrow));
    Click(down.center());
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 1);
    QCOMPARE(m_pBar->GetIconRect(0), QRect());
    QCOMPARE(m_pBar->GetIconRect(1).top(), m_pBar->GetItemsArea().top() + 8);
    Click(down.center());
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 2);
    const QRect up = m_pBar->GetArrowRect(true);
    QVERIFY(!up.isNull());
    QCOMPARE(m_pBar->HitTest(up.center()), int(CXTOutBarCtrl::HitUpArrow));
    Click(up.center());
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 1);
    QCOMPARE(m_owner.notes.size(), 0);  // scrolling asks nobody
}

void CToolkitOutBarTest::heldArrowRepeatsEveryTimerTick() {
    Build(CXTOutBarCtrl::FlagsDefault, 12, QSize(160, 300));
    const QPoint down = m_pBar->GetArrowRect(false).center();
    QElapsedTimer clock;
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, down);
    clock.start();
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 0);  // the press alone scrolls nothing
    QTRY_COMPARE_WITH_TIMEOUT(m_pBar->GetFirstVisibleItem(), 1, 2000);
    const qint64 nFirstTick = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(m_pBar->GetFirstVisibleItem(), 2, 2000);
    const qint64 nSecondTick = clock.elapsed();
    QVERIFY2(nFirstTick >= 250, qPrintable(QString::number(nFirstTick)));
    QVERIFY2(nSecondTick - nFirstTick >= 250, qPrintable(QString::number(nSecondTick)));
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, down);
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 3);
    // Released, the timer stops: nothing scrolls on its own.
    QTest::qWait(700);
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 3);
}

void CToolkitOutBarTest::heldArrowDraggedOffPauses() {
    Build(CXTOutBarCtrl::FlagsDefault, 12, QSize(160, 300));
    const QPoint down = m_pBar->GetArrowRect(false).center();
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, down);
    Drag(QPoint(down.x() - 60, down.y()));
    QTest::qWait(800);
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 0);
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, QPoint(down.x() - 60, down.y()));
    QCOMPARE(m_pBar->GetFirstVisibleItem(), 0);
}

void CToolkitOutBarTest::hoverFollowsAndClearsWhenThePointerLeaves() {
    QTest::mouseMove(m_pBar, ItemPoint(2));
    QTRY_COMPARE(m_pBar->GetHoverItem(), 2);
    QCOMPARE(m_pBar->GetHoverFolder(), -1);
    QTest::mouseMove(m_pBar, HeaderPoint(1));
    QTRY_COMPARE(m_pBar->GetHoverFolder(), 1);
    QCOMPARE(m_pBar->GetHoverItem(), -1);
    QTest::mouseMove(m_pBar, ItemPoint(0));
    QTRY_COMPARE(m_pBar->GetHoverItem(), 0);
    // Out of the control into the host window, then out of every window.
    QTest::mouseMove(m_pHost.get(), QPoint(m_pHost->width() - 10, 10));
    QTRY_COMPARE(m_pBar->GetHoverItem(), -1);
    QCOMPARE(m_pBar->GetHoverFolder(), -1);
    QTest::mouseMove(m_pBar, HeaderPoint(0));
    QTRY_COMPARE(m_pBar->GetHoverFolder(), 0);
    QCursor::setPos(m_pHost->mapToGlobal(QPoint(-200, -200)));
    QTRY_COMPARE_WITH_TIMEOUT(m_pBar->GetHoverFolder(), -1, 1000);
}

void CToolkitOutBarTest::itemMenuOffersRemoveAndRename() {
    QStringList checked;
    QCOMPARE(
        RightClick(ItemPoint(1), nullptr, &checked),
        QStringList({"S&mall Icons", "Lar&ge Icons", "-", "Remove Shortcut", "Rename Shortcut"}));
    QCOMPARE(checked, QStringList({"Lar&ge Icons"}));
    QCOMPARE(m_owner.notes.size(), 0);
    QCOMPARE(m_pBar->GetItemCount(), 4);
    // Away from items and headers only the icon sizes are offered.
    const QRect last = m_pBar->GetItemRect(3);
    QCOMPARE(RightClick(QPoint(last.center().x(), last.bottom() + 40)),
             QStringList({"S&mall Icons", "Lar&ge Icons"}));
}

void CToolkitOutBarTest::headerMenuOffersGroupEntries() {
    QCOMPARE(RightClick(HeaderPoint(1)),
             QStringList({"S&mall Icons", "Lar&ge Icons", "-", "Remove Group", "Rename Group"}));
    QCOMPARE(m_pBar->GetFolderCount(), 2);
}

void CToolkitOutBarTest::menuFollowsTheFlags() {
    Build(CXTOutBarCtrl::FlagRemoveItems | CXTOutBarCtrl::FlagRenameFolders, 4, QSize(160, 480));
    QCOMPARE(RightClick(ItemPoint(0)),
             QStringList({"S&mall Icons", "Lar&ge Icons", "-", "Remove Shortcut"}));
    QCOMPARE(RightClick(HeaderPoint(0)),
             QStringList({"S&mall Icons", "Lar&ge Icons", "-", "Rename Group"}));
    Build(0, 4, QSize(160, 480));
    QCOMPARE(RightClick(ItemPoint(0)), QStringList({"S&mall Icons", "Lar&ge Icons"}));
    QCOMPARE(RightClick(HeaderPoint(1)), QStringList({"S&mall Icons", "Lar&ge Icons"}));
}

void CToolkitOutBarTest::refusedRemovalKeepsTheItem() {
    m_owner.answers.insert(OutBarDeleteItem, 0);
    RightClick(ItemPoint(1), "outBarRemoveItem");
    QCOMPARE(m_owner.Count(OutBarDeleteItem), 1);
    QCOMPARE(m_owner.Last(OutBarDeleteItem)->info.nIndex, 1);
    QCOMPARE(m_owner.Last(OutBarDeleteItem)->info.text, QStringLiteral("Item 1"));
    QCOMPARE(m_pBar->GetItemCount(), 4);
    QCOMPARE(m_pBar->GetItemText(1), QStringLiteral("Item 1"));
}

void CToolkitOutBarTest::removalMovesTheItemsBelowUp() {
    Click(ItemPoint(3));
    const QRect slot1 = m_pBar->GetIconRect(1);
    RightClick(ItemPoint(1), "outBarRemoveItem");
    QCOMPARE(m_owner.Count(OutBarDeleteItem), 1);
    QCOMPARE(m_pBar->GetItemCount(), 3);
    QCOMPARE(m_pBar->GetItemText(1), QStringLiteral("Item 2"));
    QCOMPARE(m_pBar->GetItemData(1), quint32(102));
    QCOMPARE(m_pBar->GetItemText(2), QStringLiteral("Item 3"));
    QCOMPARE(m_pBar->GetIconRect(1), slot1);    // drawn where the removed one was
    QCOMPARE(m_pBar->GetHighlightedItem(), 2);  // still on "Item 3"
    // The item that moved up answers to its new position.
    Click(ItemPoint(1));
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.nIndex, 1);
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.text, QStringLiteral("Item 2"));
}

void CToolkitOutBarTest::refusedFolderRemovalKeepsTheFolder() {
    m_owner.answers.insert(OutBarDeleteFolder, 0);
    RightClick(HeaderPoint(1), "outBarRemoveFolder");
    QCOMPARE(m_owner.Count(OutBarDeleteFolder), 1);
    QCOMPARE(m_owner.Last(OutBarDeleteFolder)->info.text, QStringLiteral("Beta"));
    QCOMPARE(m_pBar->GetFolderCount(), 2);
    m_owner.answers.clear();
    m_owner.notes.clear();
    RightClick(HeaderPoint(0), "outBarRemoveFolder");
    QCOMPARE(m_pBar->GetFolderCount(), 1);
    QCOMPARE(m_pBar->GetSelFolder(), 0);
    // The shown folder went: the owner hears of the one shown now, as of any folder switch.
    QCOMPARE(m_owner.Count(OutBarFolderChange), 1);
    QCOMPARE(m_owner.Last(OutBarFolderChange)->info.nIndex, 0);
    QCOMPARE(m_owner.Last(OutBarFolderChange)->info.text, QStringLiteral("Beta"));
    QCOMPARE(m_pBar->GetFolderText(0), QStringLiteral("Beta"));
    QCOMPARE(m_pBar->GetItemText(0), QStringLiteral("Beta 0"));
}

void CToolkitOutBarTest::renameThroughTheEditor() {
    RightClick(ItemPoint(2), "outBarRenameItem");
    QLineEdit* pEditor = m_pBar->Editor();
    QVERIFY(pEditor);
    QVERIFY(pEditor->isVisible());
    QCOMPARE(pEditor->selectedText(), QStringLiteral("Item 2"));
    QVERIFY(pEditor->geometry().intersects(m_pBar->GetLabelRect(2)));
    QTest::keyClicks(pEditor, QStringLiteral("Shred now"));
    QCOMPARE(m_owner.Count(OutBarItemRenamed), 0);  // nothing until the edit ends
    QTest::keyClick(pEditor, Qt::Key_Return);
    QCOMPARE(m_owner.Count(OutBarItemRenamed), 1);
    QCOMPARE(m_owner.Last(OutBarItemRenamed)->info.nIndex, 2);
    QCOMPARE(m_owner.Last(OutBarItemRenamed)->info.text, QStringLiteral("Shred now"));
    QCOMPARE(m_pBar->GetItemText(2), QStringLiteral("Shred now"));
    QVERIFY(m_pBar->Editor() == nullptr);
}

void CToolkitOutBarTest::refusedRenameKeepsTheText() {
    m_owner.answers.insert(OutBarItemRenamed, 0);
    RightClick(ItemPoint(0), "outBarRenameItem");
    QVERIFY(m_pBar->Editor());
    QTest::keyClicks(m_pBar->Editor(), QStringLiteral("Other name"));
    QTest::keyClick(m_pBar->Editor(), Qt::Key_Return);
    QCOMPARE(m_owner.Count(OutBarItemRenamed), 1);
    QCOMPARE(m_owner.Last(OutBarItemRenamed)->info.text, QStringLiteral("Other name"));
    QCOMPARE(m_pBar->GetItemText(0), QStringLiteral("Item 0"));
}

void CToolkitOutBarTest::escapeDropsTheEdit() {
    RightClick(ItemPoint(0), "outBarRenameItem");
    QVERIFY(m_pBar->Editor());
    QTest::keyClicks(m_pBar->Editor(), QStringLiteral("Dropped"));
    QTest::keyClick(m_pBar->Editor(), Qt::Key_Escape);
    QVERIFY(m_pBar->Editor() == nullptr);
    QCOMPARE(m_owner.Count(OutBarItemRenamed), 0);
    QCOMPARE(m_pBar->GetItemText(0), QStringLiteral("Item 0"));
}

void CToolkitOutBarTest::renameGroupThroughTheEditor() {
    RightClick(HeaderPoint(1), "outBarRenameFolder");
    QVERIFY(m_pBar->Editor());
    QCOMPARE(m_pBar->Editor()->selectedText(), QStringLiteral("Beta"));
    QVERIFY(m_pBar->GetFolderRect(1).contains(m_pBar->Editor()->geometry().center()));
    QTest::keyClicks(m_pBar->Editor(), QStringLiteral("Gamma"));
    QTest::keyClick(m_pBar->Editor(), Qt::Key_Return);
    QCOMPARE(m_owner.Count(OutBarFolderRenamed), 1);
    QCOMPARE(m_owner.Last(OutBarFolderRenamed)->info.nIndex, 1);
    QCOMPARE(m_pBar->GetFolderText(1), QStringLiteral("Gamma"));
}

void CToolkitOutBarTest::iconSizeSwitch() {
    QCOMPARE(m_pBar->GetIconRect(0).size(), QSize(32, 32));
    const int nLargeStep = m_pBar->GetIconRect(1).top() - m_pBar->GetIconRect(0).top();
    RightClick(ItemPoint(0), "outBarSmallIcons");
    QVERIFY(m_pBar->IsSmallIconView());
    QCOMPARE(m_pBar->GetFlags() & CXTOutBarCtrl::FlagSmallIcons, quint32(1));
    QCOMPARE(m_pBar->GetIconRect(0).size(), QSize(16, 16));
    const int nSmallStep = m_pBar->GetIconRect(1).top() - m_pBar->GetIconRect(0).top();
    QVERIFY(nSmallStep < nLargeStep);
    // Small icons sit beside their labels.
    QVERIFY(m_pBar->GetLabelRect(0).left() > m_pBar->GetIconRect(0).right());
    QStringList checked;
    RightClick(ItemPoint(0), nullptr, &checked);
    QCOMPARE(checked, QStringList({"S&mall Icons"}));
    // Clicks still find their items in the small view.
    Click(ItemPoint(3));
    QCOMPARE(m_owner.Last(OutBarItemClick)->info.nIndex, 3);
    RightClick(ItemPoint(0), "outBarLargeIcons");
    QVERIFY(!m_pBar->IsSmallIconView());
    QCOMPARE(m_pBar->GetIconRect(0).size(), QSize(32, 32));
    QCOMPARE(m_pBar->GetFlags(), quint32(CXTOutBarCtrl::FlagsDefault));
}

QTEST_MAIN(CToolkitOutBarTest)
#include "toolkit_outbar_test.moc"

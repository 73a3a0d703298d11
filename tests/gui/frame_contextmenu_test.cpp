// The list's context menu (where it opens, what it holds, how its items are enabled), and the
// refusal of files dropped on the main window.
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "shell/CommandIds.h"
#include "shell/MainStatusBar.h"
#include "tests/gui/gui_test_support.h"

using namespace quorrel;

namespace {

// What the popup menu looked like while it was open.
struct SSeenMenu {
    bool bSeen = false;
    QString objectName;
    QPoint pos;
    QStringList texts;
    QStringList enabled;
};

}  // namespace

class CFrameContextMenuTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keyboardRequestOpensNearTheFrameCorner();
    void shiftF10OpensIt();
    void rightClickOpensAtThePointer();
    void itemsFollowTheEnablingRules();
    void otherPanesGetTheListMenuNotTheBarsMenu();
    void droppedFilesAreRefused();
    void dropsWithoutFilesAreNotTaken();

private:
    CQuorrelView& View() const { return *m_pFrame->GetActiveView(); }
    // Sends `pEvent` to `pTarget` and returns the popup that opened, closing it.
    SSeenMenu Popup(QWidget* pTarget, QContextMenuEvent* pEvent);
    // Watches for the next popup and closes it; the result fills once it was seen.
    std::shared_ptr<SSeenMenu> WatchNextPopup();
    QMimeData* FileDrag() const;

    QTemporaryDir m_config;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void CFrameContextMenuTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
}

void CFrameContextMenuTest::init() {
    quorrel_test::ClearProfile(m_config);
    m_pFrame = quorrel_test::MakeFrame(false);
    QVERIFY(m_pFrame);
    // Away from the screen's corner, so that the menu has room to open where it is asked.
    m_pFrame->setGeometry(40, 60, 760, 520);
    m_pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
    View().setFocus();
}

void CFrameContextMenuTest::cleanup() {
    // A watch whose popup never came must not close one of the next test's.
    qDeleteAll(findChildren<QTimer*>(QStringLiteral("popupWatch")));
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
}

std::shared_ptr<SSeenMenu> CFrameContextMenuTest::WatchNextPopup() {
    auto pSeen = std::make_shared<SSeenMenu>();
    auto* pTimer = new QTimer(this);
    pTimer->setObjectName(QStringLiteral("popupWatch"));
    connect(pTimer, &QTimer::timeout, this, [pTimer, pSeen] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr) {
            return;
        }
        pSeen->bSeen = true;
        pSeen->objectName = pMenu->objectName();
        pSeen->pos = pMenu->pos();
        pSeen->texts = quorrel_test::MenuTexts(*pMenu);
        for (const QAction* pAction : pMenu->actions()) {
            if (!pAction->isSeparator() && pAction->isEnabled()) {
                pSeen->enabled.append(pAction->text());
            }
        }
        pMenu->close();
        pTimer->stop();
        pTimer->deleteLater();
    });
    pTimer->start(10);
    return pSeen;
}

SSeenMenu CFrameContextMenuTest::Popup(QWidget* pTarget, QContextMenuEvent* pEvent) {
    const std::shared_ptr<SSeenMenu> pSeen = WatchNextPopup();
    QApplication::sendEvent(pTarget, pEvent);
    return *pSeen;
}

void CFrameContextMenuTest::keyboardRequestOpensNearTheFrameCorner() {
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(30, 30),
                              View().mapToGlobal(QPoint(30, 30)));
    const SSeenMenu seen = Popup(&View(), &request);
    QVERIFY(seen.bSeen);
    QCOMPARE(seen.objectName, QStringLiteral("contextMenu"));
    QCOMPARE(seen.pos, m_pFrame->mapToGlobal(QPoint(5, 5)));
    QCOMPARE(seen.texts, QStringList({"Add F&iles...", "Add F&older...", "-", "WIPE Selected",
                                      "WIPE All", "-", "&Remove Selected Items", "Remove All Items",
                                      "-", "Select All", "-", "Options..."}));
    QCOMPARE(m_pFrame->StatusMessage(), CMainStatusBar::IdleMessage());
}

void CFrameContextMenuTest::shiftF10OpensIt() {
    auto pSeen = WatchNextPopup();
    QTest::keyClick(&View(), Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(pSeen->bSeen);
    QCOMPARE(pSeen->objectName, QStringLiteral("contextMenu"));
    QCOMPARE(pSeen->pos, m_pFrame->mapToGlobal(QPoint(5, 5)));
}

void CFrameContextMenuTest::rightClickOpensAtThePointer() {
    QWidget* pViewport = View().viewport();
    const QPoint local(60, 40);
    const QPoint global = pViewport->mapToGlobal(local);
    QContextMenuEvent click(QContextMenuEvent::Mouse, local, global);
    const SSeenMenu seen = Popup(pViewport, &click);
    QVERIFY(seen.bSeen);
    QCOMPARE(seen.objectName, QStringLiteral("contextMenu"));
    QCOMPARE(seen.pos, global);
}

void CFrameContextMenuTest::itemsFollowTheEnablingRules() {
    const QStringList always = {"Add F&iles...", "Add F&older...", "Select All", "Options..."};
    QContextMenuEvent empty(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCOMPARE(Popup(&View(), &empty).enabled, always);

    quorrel_test::AddRows(View(), {"/tmp/a", "/tmp/b"});
    QContextMenuEvent rows(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCOMPARE(Popup(&View(), &rows).enabled,
             QStringList({"Add F&iles...", "Add F&older...", "WIPE All", "Remove All Items",
                          "Select All", "Options..."}));

    View().SetItemSelected(1, true);
    QContextMenuEvent selection(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCOMPARE(Popup(&View(), &selection).enabled.size(), 8);
}

void CFrameContextMenuTest::otherPanesGetTheListMenuNotTheBarsMenu() {
    QVERIFY(m_pFrame->createPopupMenu() == nullptr);
    auto* pToolBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("toolBar"));
    QVERIFY(pToolBar);
    const QPoint local(pToolBar->width() - 5, pToolBar->height() / 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, local, pToolBar->mapToGlobal(local));
    const SSeenMenu seen = Popup(pToolBar, &click);
    QVERIFY(seen.bSeen);
    QCOMPARE(seen.objectName, QStringLiteral("contextMenu"));
}

QMimeData* CFrameContextMenuTest::FileDrag() const {
    auto* pData = new QMimeData;
    pData->setUrls({QUrl::fromLocalFile(m_config.path() + QStringLiteral("/dropped.txt")),
                    QUrl::fromLocalFile(m_config.path())});
    return pData;
}

void CFrameContextMenuTest::droppedFilesAreRefused() {
    quorrel_test::AddRows(View(), {"/tmp/kept"});
    std::unique_ptr<QMimeData> pData(FileDrag());
    const QPoint over = m_pFrame->mapFromGlobal(View().mapToGlobal(QPoint(50, 50)));

    QDragEnterEvent enter(over, Qt::CopyAction | Qt::MoveAction, pData.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(m_pFrame.get(), &enter);
    QVERIFY(enter.isAccepted());  // taken, so that the drop arrives and can be explained

    CMessageBox::SetNextAnswer(CMessageBox::IdOk);
    QDropEvent drop(QPointF(over), Qt::CopyAction | Qt::MoveAction, pData.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(m_pFrame.get(), &drop);
    // Declined: the program the files came from must not move or delete them.
    QVERIFY(!drop.isAccepted() || drop.dropAction() == Qt::IgnoreAction);
    QTRY_COMPARE(CMessageBox::ShownTexts(),
                 QStringList({"Files can't be droped directly in the window. Just on a desktop "
                              "icon."}));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({"/tmp/kept"}));
}

void CFrameContextMenuTest::dropsWithoutFilesAreNotTaken() {
    QMimeData text;
    text.setText(QStringLiteral("just some words"));
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(m_pFrame.get(), &enter);
    QVERIFY(!enter.isAccepted());
    QTest::qWait(20);
    QVERIFY(CMessageBox::ShownTexts().isEmpty());
}

QTEST_MAIN(CFrameContextMenuTest)
#include "frame_contextmenu_test.moc"

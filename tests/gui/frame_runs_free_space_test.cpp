// WIPE Free Space from the window: the command in the File menu and the sidebar, always
// enabled, its prompt and tooltip; the folder chooser; a kernel file system refused with a log
// line and no question; the question naming the file system with No as its default, and No
// leaving the disk as it was. (The fill itself is proven on real volumes by the assurance test.)
#include <QDir>
#include <QListWidget>
#include <QMenuBar>

#include "engine/freespace/FreeSpaceRun.h"
#include "shell/CommandIds.h"
#include "shell/FileDialog.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"
#include "toolkit/OutBarCtrl.h"

using namespace quorrel;

class CFrameRunsFreeSpaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        quorrel_test::PrepareTestCase(m_config);
        CFileDialog::SetRefuseUnanswered(true);
    }
    void init() {
        quorrel_test::ClearProfile(m_config);
        m_pFrame = quorrel_test::MakeFrame();
        QVERIFY(m_pFrame);
        m_nLogStart = m_pFrame->OutputBar().LogList().count();
    }
    void cleanup() {
        m_pFrame.reset();
        quorrel_test::ExpectNoUnansweredBox();
        CMessageBox::ClearShown();
        CFileDialog::ClearAnswers();
    }

    void commandSitsAfterRecycleBinAndIsAlwaysEnabled() {
        QAction* pAction = m_pFrame->Action(ID_WIPE_FREE_SPACE);
        QVERIFY(pAction);
        QCOMPARE(pAction->objectName(), QStringLiteral("wipeFreeSpace"));
        QVERIFY(pAction->isEnabled());  // the list is empty: the command needs no rows
        QCOMPARE(pAction->toolTip(), QStringLiteral("WIPE Free Space"));
        QVERIFY(pAction->statusTip().startsWith(QStringLiteral("Overwrite the free space")));
        auto* pFile = m_pFrame->MenuBar()->findChild<QMenu*>(QStringLiteral("fileMenu"));
        QVERIFY(pFile);
        const QStringList texts = quorrel_test::MenuTexts(*pFile);
        const int nBin = static_cast<int>(texts.indexOf(QStringLiteral("WIPE Recycle Bin")));
        QVERIFY(nBin >= 0);
        QCOMPARE(texts.value(nBin + 1), QStringLiteral("WIPE Free &Space..."));
    }

    void kernelFileSystemIsRefusedWithoutAQuestion() {
        CFileDialog::SetNextDirectory(QStringLiteral("/proc"));
        m_pFrame->Action(ID_WIPE_FREE_SPACE)->trigger();
        QCOMPARE(CFileDialog::AskedCount(), 1);
        QCOMPARE(CMessageBox::ShownTexts(), QStringList());
        const QStringList lines = NewLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("* /proc is on a proc file system")),
                 qPrintable(lines[0]));
    }

    // Sidebar "Wipe" folder, last item: the same command, asked with No as the default.
    void sidebarAsksWithNoAsDefaultAndNoChangesNothing() {
        QTemporaryDir dir;
        CFileDialog::SetNextDirectory(dir.path());
        CMessageBox::SetNextAnswer(CMessageBox::IdNo);
        SXTOutBarInfo info;
        info.nIndex = 6;
        bool bAllow = false;
        emit m_pFrame->findChild<CXTOutBarCtrl*>(QStringLiteral("outBar"))
            ->ItemClicked(info, &bAllow);
        QVERIFY(bAllow);
        QCOMPARE(CMessageBox::ShownTexts().size(), 1);
        const QString question = CMessageBox::ShownTexts().first();
        QVERIFY2(question.contains(QStringLiteral(" free) ?")), qPrintable(question));
        QVERIFY(question.contains(QStringLiteral("other programs may fail to write")));
        QCOMPARE(CMessageBox::ShownDefaults().value(0), static_cast<int>(CMessageBox::IdNo));
        QCOMPARE(NewLogLines(), QStringList());
        QVERIFY(
            !QDir(dir.path() + QLatin1Char('/') + QLatin1String(kFreeSpaceWorkFolder)).exists());
    }

    void cancelledChooserAsksNothing() {
        CFileDialog::SetNextDirectory(QString());
        m_pFrame->Action(ID_WIPE_FREE_SPACE)->trigger();
        QCOMPARE(CMessageBox::ShownTexts(), QStringList());
        QCOMPARE(NewLogLines(), QStringList());
    }

private:
    QStringList NewLogLines() const {
        const QListWidget& log = m_pFrame->OutputBar().LogList();
        QStringList lines;
        for (int nRow = m_nLogStart; nRow < log.count(); ++nRow) {
            lines.append(log.item(nRow)->text());
        }
        return lines;
    }

    QTemporaryDir m_config;
    std::unique_ptr<CMainFrame> m_pFrame;
    int m_nLogStart = 0;
};

QTEST_MAIN(CFrameRunsFreeSpaceTest)
#include "frame_runs_free_space_test.moc"

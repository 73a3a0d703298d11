// What the window shows and allows while a run works, on real files in a temporary folder: the
// Abort dialog's progress over many files, the log drawn readable and kept scrolling while the
// frame takes no input, long log lines read whole and copied, and a close request during a run.
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "engine/freespace/FreeSpaceRun.h"
#include "engine/log/LogLines.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/FileDialog.h"
#include "shell/OutputBar.h"
#include "shell/WindowRunHost.h"
#include "tests/gui/gui_test_support.h"
#include "tests/gui/run_test_support.h"

using namespace quorrel;
using namespace quorrel_test;

namespace {

// The pixels of `image` drawn nearly black: the text of an enabled line.
int DarkPixels(const QImage& image) {
    int nDark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            nDark += qGray(image.pixel(x, y)) < 64 ? 1 : 0;
        }
    }
    return nDark;
}

QString Fact(const CMainFrame& frame, const char* pszName) {
    const auto* pLabel = frame.AbortDialog().findChild<QLabel*>(QLatin1String(pszName));
    return pLabel != nullptr ? pLabel->text() : QStringLiteral("(no %1)").arg(pszName);
}

}  // namespace

class CFrameRunWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void progressAndAReadableLogDuringAFolderRun();
    void longLinesScrollShowWholeAndCopy();
    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();

private:
    QByteArray PathOf(const QByteArray& name) const {
        return QFile::encodeName(m_files.path()) + '/' + name;
    }
    QListWidget& Log() const { return m_pFrame->OutputBar().LogList(); }

    QTemporaryDir m_config;
    QTemporaryDir m_files;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void CFrameRunWindowTest::initTestCase() {
    PrepareTestCase(m_config);
    CFileDialog::SetRefuseUnanswered(true);
    QVERIFY(m_files.isValid());
}

void CFrameRunWindowTest::init() {
    ClearProfile(m_config);
    WipeMethod() = 0;
    m_pFrame = MakeFrame();
    QVERIFY(m_pFrame);
}

void CFrameRunWindowTest::cleanup() {
    m_pFrame.reset();
    ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
    CFileDialog::ClearAnswers();
    QDir(m_files.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_files.path()));
}

// Mid-run over a folder of 40 files, the dialog names the file, its pass, how many of the 40
// are done and the bytes of the whole run; the log is drawn in dark text though the frame is
// disabled, and it has scrolled on to the newest lines.
void CFrameRunWindowTest::progressAndAReadableLogDuringAFolderRun() {
    const QByteArray folder = PathOf("many");
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    for (int i = 0; i < 40; ++i) {
        QVERIFY(MakeFile(folder + "/f" + QByteArray::number(i), 1024));
    }
    const QString totalBytes = QString::fromStdString(FormatBytes(40 * 1024));
    int nWiped = 0;
    int nRowAtTwenty = -1;
    QStringList facts;
    bool bFrameDisabled = false;
    int nDark = -1;
    int nCurrentRow = -1;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (!line.startsWith(QStringLiteral("Wipeing file "))) {
            return;
        }
        if (++nWiped == 20) {
            nRowAtTwenty = Log().count() - 1;
            // The next check shows what is new in the log and the dialog.
            QTest::qSleep(CWindowRunHost::kLogIntervalMs + 5);
        } else if (nWiped == 22) {
            // The path is shortened in its middle to fit; its tool tip holds it whole.
            const auto* pFile =
                m_pFrame->AbortDialog().findChild<QLabel*>(QStringLiteral("abortFile"));
            facts = QStringList{pFile != nullptr ? pFile->toolTip() : QString(),
                                Fact(*m_pFrame, "abortPass"), Fact(*m_pFrame, "abortFiles"),
                                Fact(*m_pFrame, "abortBytes")};
            bFrameDisabled = !m_pFrame->isEnabled() && !Log().isEnabled();
            nCurrentRow = Log().currentRow();  // as the run's last round left it
            // Between the rounds that show it the log is held from painting: drawn as a round
            // shows it.
            const bool bUpdates = Log().updatesEnabled();
            Log().setUpdatesEnabled(true);
            m_pFrame->OutputBar().ShowLastLine();
            nDark = DarkPixels(Log().viewport()->grab().toImage());
            Log().setUpdatesEnabled(bUpdates);
        }
    });
    CFileDialog::SetNextDirectory(QFile::decodeName(folder));
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    m_pFrame->Action(ID_WIPE_FOLDER)->trigger();

    QCOMPARE(nWiped, 40);
    QCOMPARE(facts.size(), 4);
    QVERIFY2(facts[0].startsWith(QFile::decodeName(folder) + QStringLiteral("/f")),
             qPrintable(facts[0]));
    QCOMPARE(facts[1], QStringLiteral("1 of 1"));
    QVERIFY2(QRegularExpression(QStringLiteral("^(18|19|20|21) of 40$")).match(facts[2]).hasMatch(),
             qPrintable(facts[2]));
    QVERIFY2(facts[3].endsWith(QStringLiteral(" of ") + totalBytes), qPrintable(facts[3]));
    QVERIFY(bFrameDisabled);
    QVERIFY2(nDark > 20, qPrintable(QString::number(nDark)));
    QVERIFY2(nCurrentRow >= nRowAtTwenty, qPrintable(QString::number(nCurrentRow)));
    // After the run the log is as it always was.
    QVERIFY(Log().isEnabled());
}

// A line wider than the log can be scrolled to, is shown whole in its tool tip, and the
// selected lines go to the clipboard with Ctrl+C, top to bottom.
void CFrameRunWindowTest::longLinesScrollShowWholeAndCopy() {
    const QString longLine = QStringLiteral("* Only ") + QString(300, QLatin1Char('x')) +
                             QStringLiteral(" of the free space could be filled: the end");
    m_pFrame->OutputBar().AddLine(longLine);
    m_pFrame->OutputBar().AddLine("short");
    QApplication::processEvents();
    QVERIFY(Log().horizontalScrollBar()->maximum() > 0);
    const int nRow = Log().count() - 2;
    Log().scrollToItem(Log().item(nRow));
    Log().horizontalScrollBar()->setValue(Log().horizontalScrollBar()->maximum());
    const QRect rect = Log().visualItemRect(Log().item(nRow));
    QVERIFY(rect.right() <= Log().viewport()->width() + 20);  // its end is in sight

    const QPoint point(Log().viewport()->width() / 2, rect.center().y());
    QHelpEvent help(QEvent::ToolTip, point, Log().viewport()->mapToGlobal(point));
    QApplication::sendEvent(Log().viewport(), &help);
    QCOMPARE(QToolTip::text(), longLine);

    Log().setFocus();
    Log().item(nRow + 1)->setSelected(true);
    Log().item(nRow)->setSelected(true);
    QApplication::clipboard()->clear();
    QTest::keyClick(&Log(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), longLine + QStringLiteral("\nshort"));
    const auto* pCopy = Log().findChild<QAction*>(QStringLiteral("listBoxCopy"));
    QVERIFY(pCopy != nullptr && pCopy->text() == QStringLiteral("&Copy"));
}

void CFrameRunWindowTest::closingDuringARunAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes aborts, then closes") << int(CMessageBox::IdYes);
    QTest::newRow("No goes on") << int(CMessageBox::IdNo);
}

// A close request mid-run asks whether to abort. Yes stops the run (the file keeps its length)
// and closes the window once the run is over; No lets the run finish and the window stay.
void CFrameRunWindowTest::closingDuringARunAsksFirst() {
    QFETCH(int, answer);
    const QByteArray big = PathOf("big.bin");
    const qint64 nSize = 2 * 1024 * 1024;
    QVERIFY(MakeFile(big, nSize));
    WipeMethod() = 1;  // three passes: the close comes during the first
    AddRows(*m_pFrame->GetActiveView(), {big});
    m_pFrame->GetActiveView()->SelectAllItems();
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line.startsWith(QStringLiteral("Wipeing file "))) {
            CMessageBox::SetNextAnswer(answer);
            QTimer::singleShot(0, m_pFrame.get(), [this] { m_pFrame->close(); });
            MakeTheNextCheckLetEventsThrough();
        }
    });
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    m_pFrame->Action(ID_WIPE_SELECTED)->trigger();

    const QStringList asked = CMessageBox::ShownTexts();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1], QString::fromUtf8(CWindowRunHost::kCloseQuestion));
    const bool bYes = answer == CMessageBox::IdYes;
    QCOMPARE(SizeOf(big), bYes ? nSize : qint64(-1));
    QTRY_COMPARE(m_pFrame->isVisible(), !bYes);
    if (!bYes) {
        QApplication::processEvents();  // a close wrongly queued would come now
        QVERIFY(m_pFrame->isVisible());
    }
}

QTEST_MAIN(CFrameRunWindowTest)
#include "frame_run_window_test.moc"

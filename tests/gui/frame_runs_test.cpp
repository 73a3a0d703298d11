// Shredding the list from the window: WIPE Selected and WIPE All on real files in a temporary
// folder, the run protocol around them (disabled frame, Abort dialog, the frame back in front),
// the dialog's three ways to stop a run, and the progress bar between files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <string>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "shell/AbortDlg.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/FileDialog.h"
#include "shell/OutputBar.h"
#include "tests/gui/gui_test_support.h"
#include "tests/gui/run_test_support.h"

using namespace quorrel;
using namespace quorrel_test;

namespace {

const QString kSimpleBanner =
    QStringLiteral("- Deleteing files using: Simple (1 pass: writes 0x00) algorithm.");
constexpr qint64 kBigFile = 8 * 1024 * 1024;

// Records the Abort dialog's show and hide events.
class CShowHideRecorder : public QObject {
public:
    QStringList m_events;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Show) {
            m_events.append(QStringLiteral("show"));
        } else if (pEvent->type() == QEvent::Hide) {
            m_events.append(QStringLiteral("hide"));
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

}  // namespace

class CFrameRunsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void selectedFilesShredFromTheTop();
    void vanishedEntryStaysDeselected();
    void folderEntryIsWalkedAndLeavesTheList();
    void wipeAllAnsweredNoLeavesEveryRowSelected();
    void wipeSelectedWithNothingSelectedStillRuns();
    void cancelInTheSecondOfFourRows();
    void cancelWithFilesInFlightKeepsTheUnreachedRowsSelected();
    void runDisablesTheFrameAndBringsItBack();
    void frameRefusesToCloseDuringARun();
    void everyWayOfCancellingStopsTheRun_data();
    void everyWayOfCancellingStopsTheRun();
    void progressBarAfterSuccessAndFailure();

private:
    CQuorrelView& View() const { return *m_pFrame->GetActiveView(); }
    CAbortDlg& Dialog() const { return m_pFrame->AbortDialog(); }
    QPushButton* CancelButton() const {
        return Dialog().findChild<QPushButton*>(QStringLiteral("abortCancelButton"));
    }
    QAction* Command(const char* pszObjectName) const {
        return m_pFrame->findChild<QAction*>(QLatin1String(pszObjectName));
    }
    QByteArray PathOf(const char* pszName) const {
        return QFile::encodeName(m_files.path()) + '/' + pszName;
    }
    // The log's lines written since `init`.
    QStringList NewLogLines() const;
    // The rows that are selected, from the top, as paths.
    QList<QByteArray> SelectedPaths() const;
    void AnswerNextQuestion(int nAnswer) { CMessageBox::SetNextAnswer(nAnswer); }

    QTemporaryDir m_config;
    QTemporaryDir m_files;
    std::unique_ptr<CMainFrame> m_pFrame;
    int m_nLogStart = 0;
};

void CFrameRunsTest::initTestCase() {
    quorrel_test::PrepareTestCase(m_config);
    CFileDialog::SetRefuseUnanswered(true);
    QVERIFY(m_files.isValid());
}

void CFrameRunsTest::init() {
    quorrel_test::ClearProfile(m_config);
    WipeMethod() = 0;  // one pass of zeros: the banner names it
    m_pFrame = quorrel_test::MakeFrame();
    QVERIFY(m_pFrame);
    QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
    m_nLogStart = m_pFrame->OutputBar().LogList().count();
    CFileDialog::ClearAnswers();
}

void CFrameRunsTest::cleanup() {
    m_pFrame.reset();
    quorrel_test::ExpectNoUnansweredBox();
    CMessageBox::ClearShown();
    QCOMPARE(CFileDialog::AskedCount(), 0);
    CFileDialog::ClearAnswers();
    QDir(m_files.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_files.path()));
}

QStringList CFrameRunsTest::NewLogLines() const {
    const QListWidget& log = m_pFrame->OutputBar().LogList();
    QStringList lines;
    for (int nRow = m_nLogStart; nRow < log.count(); ++nRow) {
        lines.append(log.item(nRow)->text());
    }
    return lines;
}

QList<QByteArray> CFrameRunsTest::SelectedPaths() const {
    QList<QByteArray> paths;
    for (int nRow = View().GetNextItem(-1); nRow != -1; nRow = View().GetNextItem(nRow)) {
        paths.append(View().GetItemPath(nRow));
    }
    return paths;
}

// Three selected files are shredded from the top down, one unselected row is not touched, and
// the bar follows each file and is back at 0 when it ends.
void CFrameRunsTest::selectedFilesShredFromTheTop() {
    const QByteArray a = PathOf("a.txt"), b = PathOf("b.txt"), c = PathOf("c.txt"),
                     d = PathOf("d.txt");
    for (const QByteArray& path : {a, b, c, d}) {
        QVERIFY(MakeFile(path, 256 * 1024));
    }
    quorrel_test::AddRows(View(), {a, b, c, d});  // d on top
    View().SetItemSelected(0, true);              // d
    View().SetItemSelected(1, true);              // c
    View().SetItemSelected(3, true);              // a
    int nMostShown = 0;
    QObject context;  // ends the connection with the test
    QObject::connect(&m_pFrame->Progress(), &QProgressBar::valueChanged, &context,
                     [&nMostShown](int nValue) { nMostShown = qMax(nMostShown, nValue); });

    AnswerNextQuestion(CMessageBox::IdYes);
    auto* pButton = m_pFrame->findChild<QToolButton*>(QStringLiteral("wipeSelectedButton"));
    QVERIFY(pButton);
    QTest::mouseClick(pButton, Qt::LeftButton);

    QCOMPARE(CMessageBox::ShownTexts(), QStringList({QString::fromUtf8(kWipeListQuestion)}));
    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines.mid(0, 7),
             QStringList({kSimpleBanner, "Wipeing file " + Text(d),
                          "File " + Text(d) + " successfuly deleted ", "Wipeing file " + Text(c),
                          "File " + Text(c) + " successfuly deleted ", "Wipeing file " + Text(a),
                          "File " + Text(a) + " successfuly deleted "}));
    QVERIFY2(IsTimeLine(lines.last()), qPrintable(lines.last()));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({b}));
    QCOMPARE(View().GetSelectedCount(), 0);
    QVERIFY(!Exists(a) && !Exists(c) && !Exists(d));
    QVERIFY(HoldsOnly(b, 'x'));
    QVERIFY(nMostShown > 0);
    QCOMPARE(m_pFrame->Progress().value(), 0);
    // The log is held between its rounds only while the run lasts.
    QVERIFY(m_pFrame->OutputBar().LogList().updatesEnabled());
    QCOMPARE(m_pFrame->OutputBar().LogList().currentRow(),
             m_pFrame->OutputBar().LogList().count() - 1);
}

// An entry deleted behind the program's back is reported and stays, deselected; the run goes on
// with the next row.
void CFrameRunsTest::vanishedEntryStaysDeselected() {
    const QByteArray gone = PathOf("gone.txt"), kept = PathOf("there.txt");
    QVERIFY(MakeFile(gone, 10));
    QVERIFY(MakeFile(kept, 10));
    quorrel_test::AddRows(View(), {kept, gone});  // gone on top
    View().SelectAllItems();
    QVERIFY(::unlink(gone.constData()) == 0);

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.mid(0, 4),
             QStringList({kSimpleBanner, Text(gone) + " is not a file system objekt",
                          "Wipeing file " + Text(kept),
                          "File " + Text(kept) + " successfuly deleted "}));
    QVERIFY(IsTimeLine(lines.last()));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({gone}));
    QCOMPARE(View().GetSelectedCount(), 0);
    QVERIFY(!Exists(kept));
}

// A folder row is walked depth first: its files are shredded, each folder is removed once
// emptied, and the row leaves the list.
void CFrameRunsTest::folderEntryIsWalkedAndLeavesTheList() {
    const QByteArray folder = PathOf("tree"), sub = folder + "/inner", file = folder + "/f.bin",
                     inner = sub + "/g.bin";
    QVERIFY(QDir().mkpath(QFile::decodeName(sub)));
    QVERIFY(MakeFile(file, 1000));
    QVERIFY(MakeFile(inner, 1000));
    View().AddEntry(folder, ItemKind::Folder);
    View().SetItemSelected(0, true);

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.first(), kSimpleBanner);
    QCOMPARE(lines[1], "Wipeing folder " + Text(folder));
    // The walk takes the entries in the order the folder lists them.
    const QStringList innerPart = {"Wipeing folder " + Text(sub), "Wipeing file " + Text(inner),
                                   "File " + Text(inner) + " successfuly deleted ",
                                   "Folder " + Text(sub) + " is removed"};
    const QStringList filePart = {"Wipeing file " + Text(file),
                                  "File " + Text(file) + " successfuly deleted "};
    QVERIFY2(lines.mid(2, 6) == innerPart + filePart || lines.mid(2, 6) == filePart + innerPart,
             qPrintable(lines.join('\n')));
    QCOMPARE(lines[8], "Folder " + Text(folder) + " is removed");
    QVERIFY(IsTimeLine(lines[9]));
    QCOMPARE(View().GetItemCount(), 0);
    QVERIFY(!Exists(folder));
}

// WIPE All selects every row before it asks: No leaves them selected and logs nothing; Yes
// shreds them all.
void CFrameRunsTest::wipeAllAnsweredNoLeavesEveryRowSelected() {
    const QByteArray a = PathOf("a"), b = PathOf("b"), c = PathOf("c");
    for (const QByteArray& path : {a, b, c}) {
        QVERIFY(MakeFile(path, 100));
    }
    quorrel_test::AddRows(View(), {a, b, c});
    QCOMPARE(View().GetSelectedCount(), 0);

    AnswerNextQuestion(CMessageBox::IdNo);
    Command("wipeAll")->trigger();
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({QString::fromUtf8(kWipeListQuestion)}));
    QCOMPARE(CMessageBox::ShownDefaults(), QList<int>({CMessageBox::IdNo}));  // Enter says No
    QCOMPARE(NewLogLines(), QStringList());
    QCOMPARE(SelectedPaths(), QList<QByteArray>({c, b, a}));
    QVERIFY(HoldsOnly(a, 'x') && HoldsOnly(b, 'x') && HoldsOnly(c, 'x'));
    QVERIFY(m_pFrame->isEnabled());
    QVERIFY(!Dialog().isVisible());

    View().SetItemSelected(1, false);  // WIPE All takes the unselected rows too
    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeAll")->trigger();
    QCOMPARE(NewLogLines().size(), 1 + 3 * 2 + 1);
    QCOMPARE(View().GetItemCount(), 0);
    QVERIFY(!Exists(a) && !Exists(b) && !Exists(c));
}

// Reachable from the sidebar with no row selected: the question, the banner, a run that shows
// and hides the Abort dialog around nothing, and the time line.
void CFrameRunsTest::wipeSelectedWithNothingSelectedStillRuns() {
    const QByteArray a = PathOf("a");
    QVERIFY(MakeFile(a, 100));
    quorrel_test::AddRows(View(), {a});
    CShowHideRecorder recorder;
    Dialog().installEventFilter(&recorder);

    AnswerNextQuestion(CMessageBox::IdYes);
    m_pFrame->OnWipeSelected();

    QCOMPARE(CMessageBox::ShownTexts(), QStringList({QString::fromUtf8(kWipeListQuestion)}));
    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first(), kSimpleBanner);
    QVERIFY(IsTimeLine(lines.last()));
    QCOMPARE(recorder.m_events, QStringList({"show", "hide"}));
    QVERIFY(m_pFrame->isEnabled());
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({a}));
    QVERIFY(HoldsOnly(a, 'x'));

    // And on an empty list.
    View().DeleteAllItems();
    AnswerNextQuestion(CMessageBox::IdYes);
    m_pFrame->OnWipeAll();
    QCOMPARE(NewLogLines().size(), 4);
    QCOMPARE(NewLogLines()[2], kSimpleBanner);
    QVERIFY(IsTimeLine(NewLogLines()[3]));
    Dialog().removeEventFilter(&recorder);
}

// Cancel clicked half way through the second of four files: the first is gone, the second is
// reported and stays deselected, the rest stay selected and untouched.
void CFrameRunsTest::cancelInTheSecondOfFourRows() {
    const QByteArray p1 = PathOf("one"), p2 = PathOf("two"), p3 = PathOf("three"),
                     p4 = PathOf("four");
    for (const QByteArray& path : {p1, p2, p3, p4}) {
        QVERIFY(MakeFile(path, kBigFile));
    }
    quorrel_test::AddRows(View(), {p4, p3, p2, p1});  // p1 on top
    View().SelectAllItems();

    bool bInSecond = false;
    bool bClickPosted = false;
    int nClickedAt = -1;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        bInSecond = bInSecond || line == "Wipeing file " + Text(p2);
    });
    // The click is posted, not made: it arrives only because the run lets events through.
    QObject context;
    QObject::connect(&m_pFrame->Progress(), &QProgressBar::valueChanged, &context, [&](int nValue) {
        if (bInSecond && !bClickPosted && nValue >= m_pFrame->Progress().maximum() / 2) {
            bClickPosted = true;
            QTimer::singleShot(0, &context, [&, nValue] {
                nClickedAt = nValue;
                QTest::mouseClick(CancelButton(), Qt::LeftButton);
            });
            MakeTheNextCheckLetEventsThrough();
        }
    });

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    QVERIFY(bClickPosted);
    QVERIFY2(nClickedAt > 0 && nClickedAt < kBigFile, qPrintable(QString::number(nClickedAt)));
    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.mid(0, 5),
             QStringList({kSimpleBanner, "Wipeing file " + Text(p1),
                          "File " + Text(p1) + " successfuly deleted ", "Wipeing file " + Text(p2),
                          "* Process is aborted deleteing file " + Text(p2) +
                              ". This file is probably corupt now and cant be used normaly."}));
    QVERIFY(IsTimeLine(lines.last()));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({p2, p3, p4}));
    QCOMPARE(SelectedPaths(), QList<QByteArray>({p3, p4}));
    QVERIFY(!Exists(p1));
    QVERIFY(Exists(p2));  // truncated, under its own name
    QVERIFY(HoldsOnly(p3, 'x') && HoldsOnly(p4, 'x'));
    QCOMPARE(SizeOf(p3), kBigFile);
    QCOMPARE(m_pFrame->Progress().value(), 0);
    QVERIFY(!Dialog().isVisible());
    QVERIFY(m_pFrame->isEnabled());
}

// WIPE All over 48 files with 8 in flight, Cancel as they begin: the rows of the files in
// flight stay deselected (aborted, or gone when done), and exactly the rows the run never
// reached (no line of theirs in the log, their contents untouched) stay selected, the one
// handed over as the Cancel came among them.
void CFrameRunsTest::cancelWithFilesInFlightKeepsTheUnreachedRowsSelected() {
    FilesInFlight() = 8;
    FilesInFlightFromTheFirst() = true;  // flushes may cost nothing here
    QList<QByteArray> paths;
    constexpr qint64 kFile = 2 * 1024 * 1024;
    for (int i = 1; i <= 48; ++i) {
        paths.append(PathOf(qPrintable(QStringLiteral("g%1").arg(i, 2, 10, QLatin1Char('0')))));
        QVERIFY(MakeFile(paths.last(), kFile));
    }
    QList<QByteArray> bottomUp = paths;
    std::reverse(bottomUp.begin(), bottomUp.end());
    quorrel_test::AddRows(View(), bottomUp);  // g01 on top

    bool bClickPosted = false;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        // Posted as the second file's first line is passed on: it arrives at the run's next
        // look at the window, while files are in flight.
        if (!bClickPosted && line == "Wipeing file " + Text(paths[1])) {
            bClickPosted = true;
            QTimer::singleShot(0, m_pFrame.get(),
                               [this] { QTest::mouseClick(CancelButton(), Qt::LeftButton); });
        }
    });
    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeAll")->trigger();
    FilesInFlight() = CWipeEngine::kDefaultFilesInFlight;
    FilesInFlightFromTheFirst() = false;

    QVERIFY(bClickPosted);
    const QString log = NewLogLines().join(QLatin1Char('\n')) + QLatin1Char('\n');
    QList<QByteArray> unreached;
    for (const QByteArray& path : paths) {
        if (!log.contains("Wipeing file " + Text(path) + "\n")) {
            unreached.append(path);
            QVERIFY2(HoldsOnly(path, 'x') && SizeOf(path) == kFile, path.constData());
        }
    }
    QVERIFY(!unreached.isEmpty());
    QCOMPARE(SelectedPaths(), unreached);
}

// While a run works the frame and everything in it is disabled (its keys do nothing), the Abort
// dialog stands enabled and centred above it; afterwards the frame is enabled and active again.
void CFrameRunsTest::runDisablesTheFrameAndBringsItBack() {
    const QByteArray a = PathOf("a");
    QVERIFY(MakeFile(a, kBigFile));
    quorrel_test::AddRows(View(), {a});
    View().SetItemSelected(0, true);
    auto* pToolBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("toolBar"));
    QVERIFY(pToolBar);

    bool bChecked = false;
    bool bFrameEnabled = true, bViewEnabled = true, bToolBarEnabled = true;
    bool bDialogShown = false, bDialogEnabled = false, bDialogModal = true, bCentred = false;
    bool bAbove = false, bActiveAtStart = false;
    QString title, text, cancelText;
    int nChoosersAsked = -1;
    QObject context;  // drops a posted check that the run did not reach
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line != "Wipeing file " + Text(a)) {
            return;
        }
        // Posted, so that it runs in the middle of the overwrite, from the run's own checks.
        QTimer::singleShot(0, &context, [&] {
            bChecked = true;
            bFrameEnabled = m_pFrame->isEnabled();
            bViewEnabled = View().isEnabled();
            bToolBarEnabled = pToolBar->isEnabled();
            CAbortDlg& dialog = Dialog();
            bDialogShown = dialog.isVisible();
            bDialogEnabled = dialog.isEnabled() && CancelButton()->isEnabled();
            bDialogModal = dialog.isModal();
            title = dialog.windowTitle();
            auto* pText = dialog.findChild<QLabel*>(QStringLiteral("abortText"));
            text = pText ? pText->text() : QString();
            cancelText = CancelButton()->text();
            const QPoint offset =
                dialog.frameGeometry().center() - m_pFrame->frameGeometry().center();
            bCentred = offset.manhattanLength() <= 4;
            bAbove = dialog.windowHandle() != nullptr &&
                     dialog.windowHandle()->transientParent() == m_pFrame->windowHandle();
            // Insert is Add Files: a disabled frame must not start a chooser mid-run.
            QTest::keyClick(m_pFrame.get(), Qt::Key_Insert);
            nChoosersAsked = CFileDialog::AskedCount();
            // The dialog is the active window from the start: Escape goes to it. Only the run
            // makes it so where no window manager or platform activates a window on its own (the
            // X11 run of this test); the activation arrives there as an event, so it is waited
            // for. (The application's active window itself is compared: on X11 the dialog's own
            // isActiveWindow() answered true while the frame was still the active window.)
            bActiveAtStart =
                QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; });
        });
        MakeTheNextCheckLetEventsThrough();
    });

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    QVERIFY(bChecked);
    QVERIFY(!bFrameEnabled);
    QVERIFY(!bViewEnabled);
    QVERIFY(!bToolBarEnabled);
    QVERIFY(bDialogShown);
    QVERIFY(bDialogEnabled);
    QVERIFY(!bDialogModal);
    QCOMPARE(title, QStringLiteral("Abort"));
    QCOMPARE(text, QStringLiteral("To abort the process press Cancel."));
    QCOMPARE(cancelText, QStringLiteral("Cancel"));
    QVERIFY(bCentred);
    QVERIFY(bAbove);
    // A fixed box with a caption and a close box, as the dialog template is; the customised
    // hints tell the window manager to draw no other buttons.
    const Qt::WindowFlags flags = Dialog().windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint) && flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(Dialog().minimumSize(), Dialog().maximumSize());
    QCOMPARE(nChoosersAsked, 0);
    QVERIFY(bActiveAtStart);

    QVERIFY(!Exists(a));
    QVERIFY(!Dialog().isVisible());
    QVERIFY(m_pFrame->isEnabled());
    QVERIFY(View().isEnabled());
    // The active dialog went: the frame takes over again.
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_pFrame.get()));
}

// The window manager can still ask a disabled window to close. During a run the frame does not
// just close: that would hide the window, stop the run through the closing application and
// leave the program running with no window at all. It asks; No lets the run go on.
void CFrameRunsTest::frameRefusesToCloseDuringARun() {
    const QByteArray a = PathOf("a");
    QVERIFY(MakeFile(a, kBigFile));
    quorrel_test::AddRows(View(), {a});
    View().SetItemSelected(0, true);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    bool bAsked = false, bAccepted = true, bVisible = false;
    QObject context;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line == "Wipeing file " + Text(a)) {
            QTimer::singleShot(0, &context, [&] {
                bAsked = true;
                AnswerNextQuestion(CMessageBox::IdNo);
                QCloseEvent closeEvent;  // as the window manager's close box sends it
                QCoreApplication::sendEvent(m_pFrame->windowHandle(), &closeEvent);
                bAccepted = closeEvent.isAccepted();
                bVisible = m_pFrame->isVisible();
            });
            MakeTheNextCheckLetEventsThrough();
        }
    });

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    QVERIFY(bAsked);
    QCOMPARE(CMessageBox::ShownTexts().last(), QString::fromUtf8(CWindowRunHost::kCloseQuestion));
    QVERIFY(!bAccepted);
    QVERIFY(bVisible);
    QCOMPARE(lastClosed.count(), 0);
    QCOMPARE(NewLogLines().mid(1, 2),
             QStringList({"Wipeing file " + Text(a), "File " + Text(a) + " successfuly deleted "}));
    QVERIFY(m_pFrame->isVisible());
    QVERIFY(m_pFrame->isEnabled());
    // Between runs the frame closes as always.
    QVERIFY(m_pFrame->close());
}

void CFrameRunsTest::everyWayOfCancellingStopsTheRun_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("Cancel twice") << "cancel twice";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close box";
}

// Cancel (once or twice), Escape and the close box all stop the run at its next check; none of
// them closes the dialog, which stays until the run ends. The next run starts afresh.
void CFrameRunsTest::everyWayOfCancellingStopsTheRun() {
    QFETCH(QString, way);
    const QByteArray first = PathOf("first"), second = PathOf("second");
    QVERIFY(MakeFile(first, kBigFile));
    QVERIFY(MakeFile(second, kBigFile));
    quorrel_test::AddRows(View(), {second, first});
    View().SelectAllItems();

    bool bCloseRefused = false;
    bool bShownAfterStop = false;
    QObject context;
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line == "Wipeing file " + Text(first)) {
            QTimer::singleShot(0, &context, [&] {
                CAbortDlg& dialog = Dialog();
                if (way == "cancel") {
                    QTest::mouseClick(CancelButton(), Qt::LeftButton);
                } else if (way == "cancel twice") {
                    QTest::mouseClick(CancelButton(), Qt::LeftButton);
                    QTest::mouseClick(CancelButton(), Qt::LeftButton);
                } else if (way == "escape") {
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                } else {
                    QCloseEvent closeEvent;
                    QCoreApplication::sendEvent(&dialog, &closeEvent);
                    bCloseRefused = !closeEvent.isAccepted() && !dialog.close();
                }
            });
            MakeTheNextCheckLetEventsThrough();
        } else if (line.startsWith(QLatin1String("* Process is aborted"))) {
            bShownAfterStop = Dialog().isVisible();
        }
    });

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.mid(0, 3),
             QStringList({kSimpleBanner, "Wipeing file " + Text(first),
                          "* Process is aborted deleteing file " + Text(first) +
                              ". This file is probably corupt now and cant be used normaly."}));
    QVERIFY(IsTimeLine(lines.last()));
    QVERIFY(bShownAfterStop);
    QCOMPARE(bCloseRefused, way == "close box");
    QVERIFY(!Dialog().isVisible());
    QCOMPARE(SelectedPaths(), QList<QByteArray>({second}));
    QVERIFY(HoldsOnly(second, 'x'));
    QVERIFY(m_pFrame->isEnabled());

    // The flag is cleared when the next run begins.
    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();
    QCOMPARE(NewLogLines().mid(4, 3),
             QStringList({kSimpleBanner, "Wipeing file " + Text(second),
                          "File " + Text(second) + " successfuly deleted "}));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({first}));
}

// The bar shows the current file; a file that was shredded puts it back to 0, a file that failed
// leaves it where it stood until the next file sets it again.
void CFrameRunsTest::progressBarAfterSuccessAndFailure() {
    const QByteArray good = PathOf("good"), taken = PathOf("taken"), later = PathOf("later");
    QVERIFY(MakeFile(good, kBigFile / 2));
    QVERIFY(MakeFile(taken, kBigFile));
    QVERIFY(MakeFile(later, 4096));
    quorrel_test::AddRows(View(), {taken, good});  // good on top
    View().SelectAllItems();
    QProgressBar& bar = m_pFrame->Progress();

    int nAtSecondStart = -1;
    int nGoodMaximum = -1;
    int nMostShown = 0;
    QObject context;
    QObject::connect(&bar, &QProgressBar::valueChanged, &context,
                     [&](int nValue) { nMostShown = qMax(nMostShown, nValue); });
    CLogWatch watch(m_pFrame->OutputBar(), [&](const QString& line) {
        if (line == "File " + Text(good) + " successfuly deleted ") {
            nGoodMaximum = bar.maximum();
        } else if (line == "Wipeing file " + Text(taken)) {
            nAtSecondStart = bar.value();
            // Another program deletes the file while it is being overwritten: the overwrite
            // goes on through the open handle, the rename then finds no file.
            QTimer::singleShot(0, &context, [&] { QVERIFY(::unlink(taken.constData()) == 0); });
            MakeTheNextCheckLetEventsThrough();
        }
    });

    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();

    const QStringList lines = NewLogLines();
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[4],
             "* Error deleteing the file " + Text(taken) + ": an unnamed file was not found.");
    QCOMPARE(nGoodMaximum, int(kBigFile / 2));
    QCOMPARE(nAtSecondStart, 0);
    QCOMPARE(bar.maximum(), int(kBigFile));
    QCOMPARE(bar.value(), bar.maximum());
    QCOMPARE(nMostShown, int(kBigFile));
    QCOMPARE(quorrel_test::RowPaths(View()), QList<QByteArray>({taken}));
    QCOMPARE(View().GetSelectedCount(), 0);

    // The next file sets the bar again and leaves it at 0.
    View().DeleteAllItems();
    quorrel_test::AddRows(View(), {later});
    View().SelectAllItems();
    AnswerNextQuestion(CMessageBox::IdYes);
    Command("wipeSelected")->trigger();
    QCOMPARE(bar.maximum(), 4096);
    QCOMPARE(bar.value(), 0);
    QVERIFY(!Exists(later));
}

QTEST_MAIN(CFrameRunsTest)
#include "frame_runs_test.moc"

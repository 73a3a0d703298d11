// Start-up: the switches, the paths of the command line in the list before the window shows,
// the document, and the stored method read into the process.
#include "list/QuorrelDoc.h"
#include "list/QuorrelView.h"
#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OptionsDlg.h"
#include "shell/QuorrelApp.h"
#include "tests/gui/gui_test_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

#include <cstdio>

using quorrel::CMessageBox;
using quorrel::CQuorrelApp;
using quorrel::SCommandLineInfo;
using quorrel::WipeMethod;

namespace {

using Tokens = QList<QByteArray>;

// Counts the list's rows at the moment the window is first shown.
class CShowWatcher : public QObject {
public:
    int m_nRowsAtShow = -1;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        auto* pFrame = qobject_cast<quorrel::CMainFrame*>(pWatched);
        if (pFrame != nullptr && pEvent->type() == QEvent::Show && m_nRowsAtShow < 0) {
            m_nRowsAtShow = pFrame->GetActiveView()->GetItemCount();
        }
        return false;
    }
};

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("x");
}

void StoreMethod(const QVariant& value) {
    const std::unique_ptr<QSettings> pProfile = quorrel::OpenProfile();
    pProfile->setValue(QStringLiteral("1.0/Using Alorithm"), value);
    pProfile->sync();
}

}  // namespace

class CAppStartupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void switchesAreReadAfterADash_data();
    void switchesAreReadAfterADash();
    void shellSwitchesEndStartUp_data();
    void shellSwitchesEndStartUp();
    void embeddingAndAutomationKeepTheTipClosed_data();
    void embeddingAndAutomationKeepTheTipClosed();
    void startUpShowsTheWindowAndOpensTheDocument();
    void argumentsReachTheListBeforeTheWindowShows();
    void argumentsThatLookLikeToolkitOptionsArePaths();
    void aNameThatIsNotUtf8ReachesTheListByteForByte();
    void startUpReadsTheStoredMethod_data();
    void startUpReadsTheStoredMethod();
    void startUpWritesNothing();
    void theOptionsCommandRunsTheDialogAndSaves();
    void theProgramTakesNoOptionOfTheToolkit();

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    QString m_oldCurrent;
};

void CAppStartupTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
    CMessageBox::SetRefuseUnanswered(true);
    // Every first start opens the tip of the day; these tests are about what surrounds it
    // (app_tip_about_test drives the dialog itself).
    CQuorrelApp::SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    QVERIFY(m_files.isValid());
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_files.path()));
    Touch(QStringLiteral("a.txt"));
    Touch(QStringLiteral("-style"));
    Touch(QStringLiteral("--platform"));
    Touch(QStringLiteral("-Embedding"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
}

void CAppStartupTest::cleanupTestCase() {
    QDir::setCurrent(m_oldCurrent);
}

void CAppStartupTest::init() {
    quorrel_test::ClearProfile(m_profile);
    CMessageBox::ClearShown();
    // The method as the process has it when it is loaded.
    WipeMethod() = 0;
}

void CAppStartupTest::cleanup() {
    QVERIFY(CMessageBox::UnansweredTexts().isEmpty());
}

void CAppStartupTest::switchesAreReadAfterADash_data() {
    QTest::addColumn<Tokens>("tokens");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("splash");
    QTest::newRow("nothing") << Tokens{} << int(SCommandLineInfo::FileNothing) << true;
    QTest::newRow("paths") << Tokens{"a.txt", "/p", "/Embedding"}
                           << int(SCommandLineInfo::FileNothing) << true;
    QTest::newRow("-Embedding") << Tokens{"-Embedding"} << int(SCommandLineInfo::FileNothing)
                                << false;
    QTest::newRow("-aUtOmAtIoN") << Tokens{"x", "-aUtOmAtIoN"} << int(SCommandLineInfo::FileNothing)
                                 << false;
    QTest::newRow("-p") << Tokens{"-p", "a.txt"} << int(SCommandLineInfo::FilePrint) << true;
    QTest::newRow("-PT") << Tokens{"-PT"} << int(SCommandLineInfo::FilePrintTo) << true;
    QTest::newRow("-dde") << Tokens{"-dde"} << int(SCommandLineInfo::FileDDE) << true;
    QTest::newRow("-Unregister") << Tokens{"-Unregister"} << int(SCommandLineInfo::AppUnregister)
                                 << true;
    QTest::newRow("-unregserver") << Tokens{"-unregserver"} << int(SCommandLineInfo::AppUnregister)
                                  << true;
    QTest::newRow("look-alikes") << Tokens{"--p", "-print", "-Embed", "-", "p"}
                                 << int(SCommandLineInfo::FileNothing) << true;
}

void CAppStartupTest::switchesAreReadAfterADash() {
    QFETCH(Tokens, tokens);
    QFETCH(int, command);
    QFETCH(bool, splash);
    SCommandLineInfo info;
    info.ParseCommandLine(tokens);
    QCOMPARE(int(info.nShellCommand), command);
    QCOMPARE(info.bShowSplash, splash);
}

void CAppStartupTest::shellSwitchesEndStartUp_data() {
    QTest::addColumn<Tokens>("tokens");
    QTest::addColumn<QString>("named");
    QTest::newRow("-p") << Tokens{"a.txt", "-p"} << "-p";
    QTest::newRow("-pt") << Tokens{"-pt", "a.txt", "printer"} << "-pt";
    QTest::newRow("-dde") << Tokens{"-dde"} << "-dde";
    QTest::newRow("-Unregister") << Tokens{"-Unregister"} << "-Unregister";
    QTest::newRow("-UNREGSERVER") << Tokens{"-UNREGSERVER"} << "-UNREGSERVER";
}

void CAppStartupTest::shellSwitchesEndStartUp() {
    QFETCH(Tokens, tokens);
    QFETCH(QString, named);
    StoreMethod(2);
    CQuorrelApp app(tokens);
    QVERIFY(!app.InitInstance());
    QVERIFY(app.MainFrame() == nullptr);
    QVERIFY(app.FailureReason().contains(named));
    QVERIFY(!app.FailureReason().contains(QLatin1Char('\n')));
    // It ended before the setting was read.
    QCOMPARE(WipeMethod(), 0);
}

void CAppStartupTest::embeddingAndAutomationKeepTheTipClosed_data() {
    QTest::addColumn<Tokens>("tokens");
    QTest::addColumn<bool>("tip");
    QTest::newRow("plain") << Tokens{} << true;
    QTest::newRow("a path") << Tokens{"a.txt"} << true;
    QTest::newRow("-Embedding") << Tokens{"-Embedding"} << false;
    QTest::newRow("-automation") << Tokens{"-automation"} << false;
    QTest::newRow("/Embedding is a path") << Tokens{"/Embedding"} << true;
}

void CAppStartupTest::embeddingAndAutomationKeepTheTipClosed() {
    QFETCH(Tokens, tokens);
    QFETCH(bool, tip);
    CQuorrelApp app(tokens);
    QVERIFY(!app.ShouldShowTipAtStartup());
    QVERIFY(app.InitInstance());
    QCOMPARE(app.ShouldShowTipAtStartup(), tip);
}

void CAppStartupTest::startUpShowsTheWindowAndOpensTheDocument() {
    QVERIFY(CQuorrelApp::Instance() == nullptr);
    {
        CQuorrelApp app({});
        QCOMPARE(CQuorrelApp::Instance(), &app);
        QVERIFY(app.InitInstance());
        QVERIFY(app.FailureReason().isEmpty());
        QVERIFY(app.MainFrame() != nullptr);
        QVERIFY(app.MainFrame()->isVisible());
        QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("Quorrel"));
        QVERIFY(app.Document() != nullptr);
        QCOMPARE(app.Document()->GetTitle(), QStringLiteral("File and folder removal tool."));
        QCOMPARE(app.MainFrame()->GetActiveView()->GetItemCount(), 0);
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Tellmoor"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quorrel"));
    }
    QVERIFY(CQuorrelApp::Instance() == nullptr);
    // The document's fixed name names no file, and none was made.
    QVERIFY(!QFile::exists(QStringLiteral("E kako ne...")));
}

void CAppStartupTest::argumentsReachTheListBeforeTheWindowShows() {
    CQuorrelApp app({"a.txt", "missing.txt", "folder", "a.txt", "", "-Embedding"});
    CShowWatcher watcher;
    // The frame is made inside InitInstance; watch every window that shows.
    qApp->installEventFilter(&watcher);
    const bool bStarted = app.InitInstance();
    qApp->removeEventFilter(&watcher);
    QVERIFY(bStarted);
    quorrel::CQuorrelView* pView = app.MainFrame()->GetActiveView();
    QCOMPARE(pView->GetItemCount(), 3);
    QCOMPARE(watcher.m_nRowsAtShow, 3);
    // Left to right, each on top: the last path given is the top row, in full.
    const QByteArray cwd = QFile::encodeName(QDir::currentPath()) + '/';
    QCOMPARE(pView->GetItemPath(0), cwd + "-Embedding");
    QCOMPARE(pView->GetItemPath(1), cwd + "folder");
    QCOMPARE(pView->GetItemText(1, 2), QStringLiteral("Folder"));
    QCOMPARE(pView->GetItemPath(2), cwd + "a.txt");
    QCOMPARE(pView->GetItemText(2, 2), QStringLiteral("File"));
    // A switch that names a file is listed and still does what it asks.
    QVERIFY(!app.ShouldShowTipAtStartup());
}

void CAppStartupTest::argumentsThatLookLikeToolkitOptionsArePaths() {
    CQuorrelApp app({"-style", "--platform"});
    QVERIFY(app.InitInstance());
    quorrel::CQuorrelView* pView = app.MainFrame()->GetActiveView();
    QCOMPARE(pView->GetItemCount(), 2);
    const QByteArray cwd = QFile::encodeName(QDir::currentPath()) + '/';
    QCOMPARE(pView->GetItemPath(0), cwd + "--platform");
    QCOMPARE(pView->GetItemPath(1), cwd + "-style");
}

void CAppStartupTest::aNameThatIsNotUtf8ReachesTheListByteForByte() {
    const QByteArray name("caf\xe9.txt");
    const QByteArray full = QFile::encodeName(m_files.path()) + '/' + name;
    // Made through the C library with the raw bytes: the toolkit's own encoding of a name is
    // not what is being tested.
    FILE* pFile = std::fopen(full.constData(), "w");
    QVERIFY(pFile != nullptr);
    std::fclose(pFile);
    CQuorrelApp app({full});
    QVERIFY(app.InitInstance());
    QCOMPARE(app.MainFrame()->GetActiveView()->GetItemCount(), 1);
    QCOMPARE(app.MainFrame()->GetActiveView()->GetItemPath(0), full);
    std::remove(full.constData());
}

void CAppStartupTest::startUpReadsTheStoredMethod_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("method");
    QTest::newRow("missing") << QVariant() << 0;
    QTest::newRow("2") << QVariant(2) << 2;
    QTest::newRow("3") << QVariant(3) << 3;
    QTest::newRow("out of range") << QVariant(9) << 9;
    QTest::newRow("-1") << QVariant(-1) << -1;
    QTest::newRow("one byte") << QVariant(QByteArray("\x01", 1)) << 1;
    QTest::newRow("two bytes") << QVariant(QByteArray("\x02\x01", 2)) << 0x0102;
    QTest::newRow("five bytes") << QVariant(QByteArray("\x02\x00\x00\x00\x00", 5)) << 0;
}

void CAppStartupTest::startUpReadsTheStoredMethod() {
    QFETCH(QVariant, stored);
    QFETCH(int, method);
    if (stored.isValid()) {
        StoreMethod(stored);
    }
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    QCOMPARE(WipeMethod(), method);
}

void CAppStartupTest::startUpWritesNothing() {
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    QCOMPARE(WipeMethod(), 0);
    int nStored = -100;
    QVERIFY(!quorrel::LoadWipeMethod(*quorrel::OpenProfile(), nStored));
}

void CAppStartupTest::theOptionsCommandRunsTheDialogAndSaves() {
    StoreMethod(1);
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    QCOMPARE(WipeMethod(), 1);
    QAction* pOptions = app.MainFrame()->Action(quorrel::ID_OPTIONS);
    QVERIFY(pOptions != nullptr);
    QCOMPARE(int(quorrel::ID_OPTIONS), 32778);
    int nShownIndex = -2;
    QWidget* pOwner = nullptr;
    bool bTimedOut = false;
    quorrel_test::WhenModal<quorrel::COptionsDlg>(
        [&](quorrel::COptionsDlg* pDlg) {
            auto* pCombo = pDlg->findChild<QComboBox*>(QStringLiteral("methodCombo"));
            nShownIndex = pCombo->currentIndex();
            pOwner = pDlg->parentWidget();
            pCombo->setCurrentIndex(3);
            pDlg->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        },
        &bTimedOut);
    pOptions->trigger();
    QVERIFY(!bTimedOut);
    QCOMPARE(nShownIndex, 1);
    QCOMPARE(pOwner, static_cast<QWidget*>(app.MainFrame()));
    QCOMPARE(WipeMethod(), 3);
    int nStored = -100;
    QVERIFY(quorrel::LoadWipeMethod(*quorrel::OpenProfile(), nStored));
    QCOMPARE(nStored, 3);
}

void CAppStartupTest::theProgramTakesNoOptionOfTheToolkit() {
    // The real program, beside this test in the build tree.
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../../app/quorrel");
    if (!QFile::exists(program)) {
        QSKIP("the quorrel program is not built");
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    // Were "-platform xcb" taken by the toolkit, it would fail for want of a display before
    // the program saw "-p"; as paths, they reach start-up, which refuses "-p".
    process.start(program,
                  {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-p")});
    QVERIFY(process.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    // One line says why (the toolkit may add its own notes about the environment).
    const QStringList ours =
        errors.split(QLatin1Char('\n')).filter(QRegularExpression("^quorrel: "));
    QVERIFY2(ours.size() == 1, qPrintable(errors));
    QVERIFY2(ours.front().startsWith(QStringLiteral("quorrel: -p: ")), qPrintable(errors));
}

QTEST_MAIN(CAppStartupTest)
#include "app_startup_test.moc"

// The tip of the day at start-up and from the Help menu, and the About box: what they show,
// how they close, and that their links go through the desktop's handler.
#include "shell/AboutDlg.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/QuorrelApp.h"
#include "tests/gui/gui_test_support.h"
#include "toolkit/HyperLink.h"
#include "toolkit/QtCompat.h"
#include "toolkit/TipOfTheDay.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QtTest>

using quorrel::CAboutDlg;
using quorrel::CMessageBox;
using quorrel::CQuorrelApp;
using quorrel::CXTHyperLink;
using quorrel::CXTTipOfTheDay;
using quorrel::LabelPixmap;
using quorrel_test::WhenModal;

namespace {

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(content);
}

void Click(QWidget* pDialog, const char* pszName) {
    auto* pButton = pDialog->findChild<QPushButton*>(QLatin1String(pszName));
    QVERIFY2(pButton != nullptr, pszName);
    pButton->click();
}

QString LabelText(QWidget* pDialog, const char* pszName) {
    auto* pLabel = pDialog->findChild<QLabel*>(QLatin1String(pszName));
    return pLabel != nullptr ? pLabel->text() : QStringLiteral("<none>");
}

}  // namespace

class CAppTipAboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void aFirstStartShowsTheTipAfterTheWindow();
    void closingWithTheBoxUntickedKeepsItAwayNextTime();
    void embeddingKeepsTheTipAway();
    void theHelpCommandShowsTheTipAnyway();
    void theTipIsFoundBesideTheProgram();
    void theAboutBoxShowsItsTexts();
    void okAndEscapeCloseTheAboutBoxAndF1DoesNothing();
    void theLinksOpenTheirTargetsThroughTheDesktop();
    void aLinkNobodyOpensIsReported();

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    QString m_oldCurrent;
    QList<QUrl> m_opened;
    bool m_bOpenerTakes = true;
    QStringList m_helpOpened;
};

void CAppTipAboutTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
    CMessageBox::SetRefuseUnanswered(true);
    // One opener serves the links and the help: the help is the only local file opened.
    CXTHyperLink::SetUrlOpener([this](const QUrl& url) {
        if (url.isLocalFile()) {
            m_helpOpened.append(url.toString());
            return true;
        }
        m_opened.append(url);
        return m_bOpenerTakes;
    });
    QVERIFY(m_files.isValid());
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_files.path()));
}

void CAppTipAboutTest::cleanupTestCase() {
    CXTHyperLink::SetUrlOpener(nullptr);
    QDir::setCurrent(m_oldCurrent);
}

void CAppTipAboutTest::init() {
    quorrel_test::ClearProfile(m_profile);
    CMessageBox::ClearShown();
    CQuorrelApp::SetDialogRunner(nullptr);
    WriteFile(QStringLiteral("tips.txt"), "; tips\nFirst tip\nSecond tip\n");
    m_opened.clear();
    m_helpOpened.clear();
    m_bOpenerTakes = true;
}

void CAppTipAboutTest::cleanup() {
    CQuorrelApp::SetDialogRunner(nullptr);
    QVERIFY(CMessageBox::UnansweredTexts().isEmpty());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void CAppTipAboutTest::aFirstStartShowsTheTipAfterTheWindow() {
    CQuorrelApp app({});
    QString tip;
    bool bWindowShown = false;
    bool bTimedOut = false;
    WhenModal<CXTTipOfTheDay>(
        [&](CXTTipOfTheDay* pTip) {
            tip = pTip->TipText();
            bWindowShown = app.MainFrame() != nullptr && app.MainFrame()->isVisible();
            QVERIFY(pTip->findChild<QCheckBox*>(QStringLiteral("startupCheck"))->isChecked());
            Click(pTip, "closeButton");
        },
        &bTimedOut);
    QVERIFY(app.InitInstance());
    QVERIFY(!bTimedOut);
    QCOMPARE(tip, QStringLiteral("First tip\n"));
    QVERIFY(bWindowShown);
}

void CAppTipAboutTest::closingWithTheBoxUntickedKeepsItAwayNextTime() {
    {
        CQuorrelApp app({});
        WhenModal<CXTTipOfTheDay>([](CXTTipOfTheDay* pTip) {
            pTip->findChild<QCheckBox*>(QStringLiteral("startupCheck"))->setChecked(false);
            Click(pTip, "closeButton");
        });
        QVERIFY(app.InitInstance());
    }
    QCOMPARE(QSettings().value(QStringLiteral("Tip/StartUp")).toInt(), 1);
    int nRuns = 0;
    CQuorrelApp::SetDialogRunner([&nRuns](QDialog&) {
        ++nRuns;
        return int(QDialog::Rejected);
    });
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    QCOMPARE(nRuns, 0);
    QVERIFY(app.ShouldShowTipAtStartup());
}

void CAppTipAboutTest::embeddingKeepsTheTipAway() {
    int nRuns = 0;
    CQuorrelApp::SetDialogRunner([&nRuns](QDialog&) {
        ++nRuns;
        return int(QDialog::Rejected);
    });
    CQuorrelApp app({"-Embedding"});
    QVERIFY(app.InitInstance());
    QCOMPARE(nRuns, 0);
    // Nothing of the tips was read either.
    QVERIFY(!QSettings().contains(QStringLiteral("Tip/TimeStamp")));
}

void CAppTipAboutTest::theHelpCommandShowsTheTipAnyway() {
    {
        QSettings settings;
        settings.setValue(QStringLiteral("Tip/StartUp"), 1);
    }
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    QAction* pCommand = app.MainFrame()->Action(quorrel::ID_TIP_OF_THE_DAY);
    QVERIFY(pCommand != nullptr);
    QStringList tips;
    for (int i = 0; i < 3; ++i) {
        bool bTimedOut = false;
        WhenModal<CXTTipOfTheDay>(
            [&tips](CXTTipOfTheDay* pTip) {
                tips << pTip->TipText();
                QVERIFY(!pTip->m_bStartup);
                QTest::keyClick(pTip, Qt::Key_Escape);
            },
            &bTimedOut);
        pCommand->trigger();
        QVERIFY(!bTimedOut);
    }
    // Start-up made the dialog to read its setting, and that reading took the first tip.
    QCOMPARE(tips, QStringList({"Second tip\n", "First tip\n", "Second tip\n"}));
    // Escape kept the setting as it was.
    QCOMPARE(QSettings().value(QStringLiteral("Tip/StartUp")).toInt(), 1);
}

void CAppTipAboutTest::theTipIsFoundBesideTheProgram() {
    QVERIFY(QFile::remove(QStringLiteral("tips.txt")));
    QCOMPARE(CQuorrelApp::TipsFileName(), QString());
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/tips.txt");
    QVERIFY2(!QFile::exists(beside), qPrintable(beside));
    WriteFile(beside, "Shipped tip\n");
    const QString name = CQuorrelApp::TipsFileName();
    CXTTipOfTheDay dlg(name);
    const QString tip = dlg.TipText();
    const QString found = QFileInfo(name).canonicalFilePath();
    QFile::remove(beside);
    QCOMPARE(found, QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath() +
                        QStringLiteral("/tips.txt"));
    QCOMPARE(tip, QStringLiteral("Shipped tip\n"));
    // The current folder's own file comes first.
    WriteFile(QStringLiteral("tips.txt"), "Local tip\n");
    QCOMPARE(CQuorrelApp::TipsFileName(), QString());
}

void CAppTipAboutTest::theAboutBoxShowsItsTexts() {
    CAboutDlg dlg;
    QVERIFY(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(LabelText(&dlg, "versionLabel"), QStringLiteral("Quorrel Version 2.1"));
    QVERIFY(LabelText(&dlg, "rightsLabel").contains(QStringLiteral("2002")));
    QVERIFY(LabelText(&dlg, "rightsLabel").contains(QStringLiteral("Quorrel")));
    auto* pGroup = dlg.findChild<QGroupBox*>(QStringLiteral("contactGroup"));
    QVERIFY(pGroup != nullptr);
    QCOMPARE(pGroup->title(), QStringLiteral("Contact info:"));
    auto* pEmail = dlg.findChild<CXTHyperLink*>(QStringLiteral("emailLink"));
    auto* pWeb = dlg.findChild<CXTHyperLink*>(QStringLiteral("webLink"));
    QCOMPARE(pEmail->text(), QStringLiteral("email: quorrel@example.org"));
    QCOMPARE(pEmail->GetURL(), QStringLiteral("mailto:quorrel@example.org"));
    QCOMPARE(pEmail->toolTip(), pEmail->GetURL());
    QCOMPARE(pWeb->text(), QStringLiteral("internet : https://quorrel.example.org/"));
    QCOMPARE(pWeb->GetURL(), QStringLiteral("https://quorrel.example.org/"));
    QCOMPARE(pWeb->toolTip(), pWeb->GetURL());
    auto* pOk = dlg.findChild<QPushButton*>(QStringLiteral("okButton"));
    QCOMPARE(pOk->text(), QStringLiteral("OK"));
    QVERIFY(pOk->isDefault());
    QCOMPARE(pOk->toolTip(), QStringLiteral("Ok"));
    // The links sit inside the contact group, the pictures do not overlap the texts.
    QVERIFY(pGroup->geometry().contains(pEmail->geometry()));
    QVERIFY(pGroup->geometry().contains(pWeb->geometry()));
    QVERIFY(!LabelText(&dlg, "rightsLabel").isEmpty());
    QVERIFY(!LabelPixmap(*dlg.findChild<QLabel*>(QStringLiteral("shredderPicture"))).isNull());
    QVERIFY(!LabelPixmap(*dlg.findChild<QLabel*>(QStringLiteral("passesPicture"))).isNull());
}

void CAppTipAboutTest::okAndEscapeCloseTheAboutBoxAndF1DoesNothing() {
    CQuorrelApp::SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    CQuorrelApp app({});
    QVERIFY(app.InitInstance());
    CQuorrelApp::SetDialogRunner(nullptr);
    QAction* pAbout = app.MainFrame()->Action(quorrel::ID_APP_ABOUT);
    QVERIFY(pAbout != nullptr);

    bool bTimedOut = false;
    bool bStillOpenAfterF1 = false;
    WhenModal<CAboutDlg>(
        [&](CAboutDlg* pDlg) {
            QTest::keyClick(pDlg, Qt::Key_F1);
            bStillOpenAfterF1 = pDlg->isVisible();
            Click(pDlg, "okButton");
        },
        &bTimedOut);
    pAbout->trigger();
    QVERIFY(!bTimedOut);
    QVERIFY(bStillOpenAfterF1);
    QVERIFY(m_helpOpened.isEmpty());

    bTimedOut = false;
    WhenModal<CAboutDlg>([](CAboutDlg* pDlg) { QTest::keyClick(pDlg, Qt::Key_Escape); },
                         &bTimedOut);
    pAbout->trigger();
    QVERIFY(!bTimedOut);
}

void CAppTipAboutTest::theLinksOpenTheirTargetsThroughTheDesktop() {
    CAboutDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* pEmail = dlg.findChild<CXTHyperLink*>(QStringLiteral("emailLink"));
    auto* pWeb = dlg.findChild<CXTHyperLink*>(QStringLiteral("webLink"));
    QTest::mouseClick(pEmail, Qt::LeftButton, {}, QPoint(4, pEmail->height() / 2));
    QTest::mouseClick(pWeb, Qt::LeftButton, {}, QPoint(4, pWeb->height() / 2));
    QCOMPARE(m_opened, QList<QUrl>({QUrl(QStringLiteral("mailto:quorrel@example.org")),
                                    QUrl(QStringLiteral("https://quorrel.example.org/"))}));
    // A right click opens nothing.
    QTest::mouseClick(pWeb, Qt::RightButton, {}, QPoint(4, pWeb->height() / 2));
    QCOMPARE(m_opened.size(), 2);
    dlg.close();
}

void CAppTipAboutTest::aLinkNobodyOpensIsReported() {
    m_bOpenerTakes = false;
    CAboutDlg dlg;
    auto* pWeb = dlg.findChild<CXTHyperLink*>(QStringLiteral("webLink"));
    CMessageBox::SetNextAnswer(CMessageBox::IdOk);
    QVERIFY(!pWeb->Open());
    QCOMPARE(CMessageBox::ShownTexts().size(), 1);
    QVERIFY(
        CMessageBox::ShownTexts().first().contains(QStringLiteral("https://quorrel.example.org/")));
}

QTEST_MAIN(CAppTipAboutTest)
#include "app_tip_about_test.moc"

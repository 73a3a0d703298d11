// The tip of the day over tips files in a folder of its own: which line is a tip, where the
// next dialog goes on, what it keeps in the profile, and the files it cannot use.
#include "tests/gui/gui_test_support.h"
#include "toolkit/TipArt.h"
#include "toolkit/TipOfTheDay.h"
#include "toolkit/TipsFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

#include <ctime>

using quorrel::CXTTipOfTheDay;
using quorrel::CXTTipsFile;

namespace {

void WriteTips(const QByteArray& content, const QString& path = QStringLiteral("tips.txt")) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(content), qint64(content.size()));
}

// The tip the next dialog opens with; the dialog goes at once, as when the user closes it.
QString NextDialogTip() {
    CXTTipOfTheDay dlg;
    return dlg.TipText();
}

QVariant Stored(const char* pszEntry) {
    return QSettings().value(QStringLiteral("Tip/") + QLatin1String(pszEntry));
}

void Store(const char* pszEntry, const QVariant& value) {
    QSettings settings;
    settings.setValue(QStringLiteral("Tip/") + QLatin1String(pszEntry), value);
    settings.sync();
}

QPushButton* Button(QWidget* pDialog, const char* pszName) {
    return pDialog->findChild<QPushButton*>(QLatin1String(pszName));
}

QCheckBox* StartupCheck(QWidget* pDialog) {
    return pDialog->findChild<QCheckBox*>(QStringLiteral("startupCheck"));
}

}  // namespace

class CTipOfTheDayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void theDialogIsLaidOutAsItsTemplate();
    void aFirstStartShowsTheFirstTipWithTheBoxTicked();
    void theNextDialogGoesOnAndWrapsToTheFirstTip();
    void nextTipStepsThroughTheFileRoundAndRound();
    void commentIndentedAndEmptyLinesAreNeverShown();
    void aLineOf2500CharactersIsReadAsThreeTips();
    void crLfLinesLoseTheirCarriageReturn();
    void everyByteIsTheCharacterOfTheSameCode();
    void aChangedModificationTimeStartsAtTheFirstTip();
    void theTimeStampIsInCtimeForm();
    void anOffsetBeyondTheEndShowsTheFirstTip();
    void aNegativeOffsetIsTroubleAndTheFirstTipIsShown();
    void aMissingFileSaysSoAndStoresNoOffset();
    void aFileWithNoTipNeverHangs_data();
    void aFileWithNoTipNeverHangs();
    void aNamedFileIsUsedWhenItExists();
    void closeStoresTheBoxAndEscapeStoresNothing();
    void closeWithTheBoxTickedStoresZero();
    void aLongTipEndsInAnEllipsis();

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    QString m_oldCurrent;
    QStringList m_messages;
};

void CTipOfTheDayTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
    QCoreApplication::setOrganizationName(QStringLiteral("Tellmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorrel"));
    CXTTipOfTheDay::SetMessageHandler(
        [this](QWidget*, const QString& text) { m_messages.append(text); });
    QVERIFY(m_files.isValid());
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_files.path()));
}

void CTipOfTheDayTest::cleanupTestCase() {
    CXTTipOfTheDay::SetMessageHandler(nullptr);
    QDir::setCurrent(m_oldCurrent);
}

void CTipOfTheDayTest::init() {
    quorrel_test::ClearProfile(m_profile);
    QFile::remove(QStringLiteral("tips.txt"));
    m_messages.clear();
}

void CTipOfTheDayTest::cleanup() {
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('|'))));
}

void CTipOfTheDayTest::theDialogIsLaidOutAsItsTemplate() {
    WriteTips("A tip\n");
    CXTTipOfTheDay dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Tip of the Day"));
    QCOMPARE(dlg.Heading(), QStringLiteral("Did you know..."));
    QCOMPARE(Button(&dlg, "closeButton")->text(), QStringLiteral("&Close"));
    QCOMPARE(Button(&dlg, "nextTipButton")->text(), QStringLiteral("&Next Tip"));
    QCOMPARE(StartupCheck(&dlg)->text(), QStringLiteral("&Show tips at startup"));
    QVERIFY(Button(&dlg, "closeButton")->isDefault());
    // Next Tip and Close share a row under the tip, Close on the right.
    QVERIFY(Button(&dlg, "nextTipButton")->geometry().right() <
            Button(&dlg, "closeButton")->geometry().left());
    QVERIFY(StartupCheck(&dlg)->geometry().right() <
            Button(&dlg, "nextTipButton")->geometry().left());
    // 279 x 157 dialog units: clearly wider than high, whatever the font.
    QVERIFY(dlg.width() > dlg.height() * 1.4);
}

void CTipOfTheDayTest::aFirstStartShowsTheFirstTipWithTheBoxTicked() {
    WriteTips("; the tips\nFirst tip\nSecond tip\n");
    CXTTipOfTheDay dlg;
    QVERIFY(dlg.m_bStartup);
    QVERIFY(StartupCheck(&dlg)->isChecked());
    QCOMPARE(dlg.TipText(), QStringLiteral("First tip\n"));
    QVERIFY(Button(&dlg, "nextTipButton")->isEnabled());
}

void CTipOfTheDayTest::theNextDialogGoesOnAndWrapsToTheFirstTip() {
    WriteTips("First tip\nSecond tip\nThird tip\n");
    QCOMPARE(NextDialogTip(), QStringLiteral("First tip\n"));
    QCOMPARE(Stored("FilePos").toInt(), 10);
    QCOMPARE(NextDialogTip(), QStringLiteral("Second tip\n"));
    QCOMPARE(NextDialogTip(), QStringLiteral("Third tip\n"));
    QCOMPARE(NextDialogTip(), QStringLiteral("First tip\n"));
}

void CTipOfTheDayTest::nextTipStepsThroughTheFileRoundAndRound() {
    WriteTips("One\nTwo\n");
    {
        CXTTipOfTheDay dlg;
        QPushButton* pNext = Button(&dlg, "nextTipButton");
        pNext->click();
        QCOMPARE(dlg.TipText(), QStringLiteral("Two\n"));
        pNext->click();
        QCOMPARE(dlg.TipText(), QStringLiteral("One\n"));
    }
    // The dialog stopped after "One": the next one goes on from there.
    QCOMPARE(NextDialogTip(), QStringLiteral("Two\n"));
}

void CTipOfTheDayTest::commentIndentedAndEmptyLinesAreNeverShown() {
    WriteTips("; comment\n  indented\n\ttabbed\n\nTip A\n;Tip hidden\n \nTip B\n\n");
    QStringList seen;
    for (int i = 0; i < 6; ++i) {
        seen << NextDialogTip();
    }
    QCOMPARE(seen, QStringList({"Tip A\n", "Tip B\n", "Tip A\n", "Tip B\n", "Tip A\n", "Tip B\n"}));
}

void CTipOfTheDayTest::aLineOf2500CharactersIsReadAsThreeTips() {
    WriteTips(QByteArray(2500, 'x') + "\nShort\n");
    QCOMPARE(NextDialogTip(), QString(999, QLatin1Char('x')));
    QCOMPARE(Stored("FilePos").toInt(), 999);
    QCOMPARE(NextDialogTip(), QString(999, QLatin1Char('x')));
    QCOMPARE(NextDialogTip(), QString(502, QLatin1Char('x')) + QLatin1Char('\n'));
    QCOMPARE(Stored("FilePos").toInt(), 2501);
    QCOMPARE(NextDialogTip(), QStringLiteral("Short\n"));
    QCOMPARE(NextDialogTip(), QString(999, QLatin1Char('x')));
}

void CTipOfTheDayTest::crLfLinesLoseTheirCarriageReturn() {
    WriteTips("; comment\r\n\r\nOne\r\nA\rB\r\nlast without a line end");
    QCOMPARE(NextDialogTip(), QStringLiteral("One\n"));
    QCOMPARE(Stored("FilePos").toInt(), 18);
    // A carriage return that ends no line is part of the text.
    QCOMPARE(NextDialogTip(), QStringLiteral("A\rB\n"));
    QCOMPARE(NextDialogTip(), QStringLiteral("last without a line end"));
    QCOMPARE(NextDialogTip(), QStringLiteral("One\n"));
}

void CTipOfTheDayTest::everyByteIsTheCharacterOfTheSameCode() {
    WriteTips("Caf\xe9 \xa9 \xc3\xa9\n");
    QCOMPARE(NextDialogTip(), QString::fromLatin1("Caf\xe9 \xa9 \xc3\xa9\n"));
}

void CTipOfTheDayTest::aChangedModificationTimeStartsAtTheFirstTip() {
    WriteTips("First\nSecond\nThird\n");
    QCOMPARE(NextDialogTip(), QStringLiteral("First\n"));
    QCOMPARE(NextDialogTip(), QStringLiteral("Second\n"));
    QFile file(QStringLiteral("tips.txt"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime edited = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(file.setFileTime(edited, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(NextDialogTip(), QStringLiteral("First\n"));
    QCOMPARE(Stored("TimeStamp").toString(),
             CXTTipsFile::TimeStampText(static_cast<std::time_t>(edited.toSecsSinceEpoch())));
    // The same time again: the stored offset holds.
    QCOMPARE(NextDialogTip(), QStringLiteral("Second\n"));
}

void CTipOfTheDayTest::theTimeStampIsInCtimeForm() {
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "UTC");
    tzset();
    const QString text = CXTTipsFile::TimeStampText(1041502830);
    if (oldTz.isNull()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", oldTz);
    }
    tzset();
    QCOMPARE(text, QStringLiteral("Thu Jan 02 10:20:30 2003"));

    WriteTips("A tip\n");
    NextDialogTip();
    static const QRegularExpression form(QStringLiteral(
        "^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "\\d\\d \\d\\d:\\d\\d:\\d\\d \\d{4}$"));
    QVERIFY2(form.match(Stored("TimeStamp").toString()).hasMatch(),
             qPrintable(Stored("TimeStamp").toString()));
}

void CTipOfTheDayTest::anOffsetBeyondTheEndShowsTheFirstTip() {
    WriteTips("; c\nFirst\nSecond\n");
    NextDialogTip();  // stores the file's time stamp
    Store("FilePos", 100000);
    QCOMPARE(NextDialogTip(), QStringLiteral("First\n"));
    QCOMPARE(Stored("FilePos").toInt(), 10);
}

void CTipOfTheDayTest::aNegativeOffsetIsTroubleAndTheFirstTipIsShown() {
    WriteTips("First\nSecond\n");
    NextDialogTip();
    Store("FilePos", -5);
    QCOMPARE(NextDialogTip(), QStringLiteral("First\n"));
    QCOMPARE(m_messages, QStringList({QStringLiteral("Trouble reading the tips file")}));
    m_messages.clear();
    // The bad offset was replaced by a good one.
    QCOMPARE(Stored("FilePos").toInt(), 6);
}

void CTipOfTheDayTest::aMissingFileSaysSoAndStoresNoOffset() {
    {
        CXTTipOfTheDay dlg;
        QCOMPARE(dlg.TipText(),
                 QStringLiteral("Tips file does not exist in the prescribed directory"));
        QVERIFY(!Button(&dlg, "nextTipButton")->isEnabled());
        QVERIFY(dlg.m_bStartup);
        QCOMPARE(dlg.TipsFile(), QStringLiteral("tips.txt"));
    }
    QVERIFY(!Stored("FilePos").isValid());
    QVERIFY(!Stored("TimeStamp").isValid());
}

void CTipOfTheDayTest::aFileWithNoTipNeverHangs_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("filePos");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("comments and blanks") << QByteArray("; a\n\n  b\n\tc\n;d") << 0;
    QTest::newRow("from the middle") << QByteArray("; a\n\n  b\n\tc\n;d\n") << 6;
    QTest::newRow("CR LF blanks") << QByteArray("\r\n\r\n; x\r\n") << 0;
}

void CTipOfTheDayTest::aFileWithNoTipNeverHangs() {
    QFETCH(QByteArray, content);
    QFETCH(int, filePos);
    WriteTips(content);
    NextDialogTip();
    Store("FilePos", filePos);
    CXTTipOfTheDay dlg;
    QCOMPARE(dlg.TipText(), CXTTipOfTheDay::NoTipsText());
    QVERIFY(!Button(&dlg, "nextTipButton")->isEnabled());
}

void CTipOfTheDayTest::aNamedFileIsUsedWhenItExists() {
    QVERIFY(QDir().mkdir(QStringLiteral("elsewhere")));
    WriteTips("From elsewhere\n", QStringLiteral("elsewhere/mine.txt"));
    WriteTips("From here\n");
    {
        CXTTipOfTheDay dlg(QStringLiteral("elsewhere/mine.txt"));
        QCOMPARE(dlg.TipText(), QStringLiteral("From elsewhere\n"));
    }
    CXTTipOfTheDay fallBack(QStringLiteral("elsewhere/missing.txt"));
    QCOMPARE(fallBack.TipsFile(), QStringLiteral("tips.txt"));
    QCOMPARE(fallBack.TipText(), QStringLiteral("From here\n"));
    QDir(QStringLiteral("elsewhere")).removeRecursively();
}

void CTipOfTheDayTest::closeStoresTheBoxAndEscapeStoresNothing() {
    WriteTips("One\nTwo\n");
    {
        CXTTipOfTheDay dlg;
        dlg.show();
        StartupCheck(&dlg)->setChecked(false);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }
    QVERIFY(!Stored("StartUp").isValid());
    {
        CXTTipOfTheDay dlg;
        QVERIFY(dlg.m_bStartup);
        dlg.show();
        StartupCheck(&dlg)->setChecked(false);
        Button(&dlg, "closeButton")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.m_bStartup);
    }
    QCOMPARE(Stored("StartUp").toInt(), 1);
    CXTTipOfTheDay next;
    QVERIFY(!next.m_bStartup);
    QVERIFY(!StartupCheck(&next)->isChecked());
}

void CTipOfTheDayTest::closeWithTheBoxTickedStoresZero() {
    WriteTips("One\n");
    Store("StartUp", 1);
    CXTTipOfTheDay dlg;
    dlg.show();
    StartupCheck(&dlg)->setChecked(true);
    // Enter is the default button's, Close's.
    QTest::keyClick(&dlg, Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(Stored("StartUp").toInt(), 0);
}

void CTipOfTheDayTest::aLongTipEndsInAnEllipsis() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    const QString longTip = QString(QStringLiteral("shred every copy ")).repeated(60) + "\n";
    const QStringList lines = quorrel::WrapWithEllipsis(longTip, font, QSize(300, 100));
    const QFontMetrics metrics(font);
    QVERIFY(lines.size() >= 2);
    QVERIFY(lines.size() * metrics.lineSpacing() <= 100);
    QVERIFY2(lines.last().endsWith(QChar(0x2026)), qPrintable(lines.last()));
    for (const QString& line : lines) {
        QVERIFY(metrics.horizontalAdvance(line) <= 300);
    }
    const QStringList shortLines =
        quorrel::WrapWithEllipsis(QStringLiteral("A short tip.\n"), font, QSize(300, 100));
    QCOMPARE(shortLines, QStringList({QStringLiteral("A short tip.")}));
    // A word wider than the area is broken inside it, not drawn past its edge.
    const QString word = QStringLiteral("/home/user/") + QString(QLatin1Char('x')).repeated(90);
    const QStringList broken = quorrel::WrapWithEllipsis("See " + word, font, QSize(300, 100));
    QVERIFY(broken.size() >= 2);
    for (const QString& line : broken) {
        QVERIFY2(metrics.horizontalAdvance(line) <= 300, qPrintable(line));
    }
}

QTEST_MAIN(CTipOfTheDayTest)
#include "toolkit_tip_of_the_day_test.moc"

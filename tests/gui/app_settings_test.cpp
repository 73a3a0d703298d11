// The stored overwrite method: where it lives, how each stored form is read, and that what the
// window writes is what the terminal shredder reads back.
#include "engine/file/WipeMethod.h"
#include "platform/Settings.h"
#include "shell/AppSettings.h"
#include "tests/gui/gui_test_support.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

#include <climits>

using quorrel::LoadWipeMethod;
using quorrel::OpenProfile;
using quorrel::SaveWipeMethod;

namespace {

// Stores `value` as the setting, as another writer of the profile might have.
void Store(const QVariant& value) {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->setValue(QStringLiteral("1.0/Using Alorithm"), value);
    pProfile->sync();
    QCOMPARE(pProfile->status(), QSettings::NoError);
}

QByteArray Bytes(std::initializer_list<unsigned char> bytes) {
    QByteArray array;
    for (const unsigned char byte : bytes) {
        array.append(static_cast<char>(byte));
    }
    return array;
}

}  // namespace

class CAppSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void profileIsTheFileTheTerminalReads();
    void missingValueLeavesTheMethod();
    void storedNumberIsTakenUnchanged_data();
    void storedNumberIsTakenUnchanged();
    void shortByteArrayFillsTheLowBytes_data();
    void shortByteArrayFillsTheLowBytes();
    void longByteArrayIsNotTaken();
    void textThatIsNoNumberIsNotTaken();
    void writtenValueIsReadBackByTheTerminal_data();
    void writtenValueIsReadBackByTheTerminal();
    void writeIsTheKeyTheTerminalLooksFor();
    void writeFailsWhenTheFolderCannotBeMade();

private:
    QTemporaryDir m_profile;
};

void CAppSettingsTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
}

void CAppSettingsTest::init() {
    quorrel_test::ClearProfile(m_profile);
}

void CAppSettingsTest::profileIsTheFileTheTerminalReads() {
    QCOMPARE(OpenProfile()->fileName(), quorrel_test::ProfileFile(m_profile));
    QCOMPARE(OpenProfile()->fileName(), QString::fromStdString(quorrel::SettingsFilePath()));
}

void CAppSettingsTest::missingValueLeavesTheMethod() {
    int nMethod = 0;
    QVERIFY(!LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, 0);
    Store(QStringLiteral("unrelated"));  // the group exists, the value does not
    OpenProfile()->remove(QStringLiteral("1.0/Using Alorithm"));
    nMethod = 3;
    QVERIFY(!LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, 3);
}

void CAppSettingsTest::storedNumberIsTakenUnchanged_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("method");
    QTest::newRow("0") << QVariant(0) << 0;
    QTest::newRow("2") << QVariant(2) << 2;
    QTest::newRow("3") << QVariant(3) << 3;
    QTest::newRow("7, out of range") << QVariant(7) << 7;
    QTest::newRow("-1") << QVariant(-1) << -1;
    QTest::newRow("largest") << QVariant(INT_MAX) << INT_MAX;
    QTest::newRow("smallest") << QVariant(INT_MIN) << INT_MIN;
    QTest::newRow("all bits as unsigned text") << QVariant(QStringLiteral("4294967295")) << -1;
    // A text value (a REG_SZ in the registry) is read by the terminal's own rule.
    QTest::newRow("text") << QVariant(QStringLiteral("3")) << 3;
    QTest::newRow("text with spaces") << QVariant(QStringLiteral(" 2 ")) << 2;
    QTest::newRow("text with a sign") << QVariant(QStringLiteral("+1")) << 1;
}

void CAppSettingsTest::storedNumberIsTakenUnchanged() {
    QFETCH(QVariant, stored);
    QFETCH(int, method);
    Store(stored);
    int nMethod = 0;
    QVERIFY(LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, method);
    int nTerminal = 0;
    std::string raw;
    QVERIFY(quorrel::ReadIniValue(quorrel::SettingsFilePath(), "1.0", "Using Alorithm", raw));
    nTerminal = quorrel::DecodeStoredWipeMethod(raw);
    QCOMPARE(nTerminal, method);
}

void CAppSettingsTest::shortByteArrayFillsTheLowBytes_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("method");
    QTest::newRow("one byte") << Bytes({0x02}) << 2;
    QTest::newRow("two bytes") << Bytes({0x01, 0x02}) << 0x0201;
    QTest::newRow("three bytes") << Bytes({0x03, 0x00, 0x41}) << 0x410003;
    QTest::newRow("four bytes") << Bytes({0xFF, 0xFF, 0xFF, 0xFF}) << -1;
    QTest::newRow("none") << QByteArray() << 0;
}

void CAppSettingsTest::shortByteArrayFillsTheLowBytes() {
    QFETCH(QByteArray, stored);
    QFETCH(int, method);
    Store(stored);
    int nMethod = 0;
    QVERIFY(LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, method);
    std::string raw;
    QVERIFY(quorrel::ReadIniValue(quorrel::SettingsFilePath(), "1.0", "Using Alorithm", raw));
    QCOMPARE(quorrel::DecodeStoredWipeMethod(raw), method);
}

void CAppSettingsTest::longByteArrayIsNotTaken() {
    Store(Bytes({0x02, 0x00, 0x00, 0x00, 0x00}));
    int nMethod = 0;
    QVERIFY(!LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, 0);
}

void CAppSettingsTest::textThatIsNoNumberIsNotTaken() {
    Store(QStringLiteral("two"));
    int nMethod = 1;
    QVERIFY(!LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, 1);
}

void CAppSettingsTest::writtenValueIsReadBackByTheTerminal_data() {
    QTest::addColumn<int>("method");
    for (const int nMethod : {0, 1, 2, 3, -1, 42, INT_MIN, INT_MAX}) {
        QTest::addRow("%d", nMethod) << nMethod;
    }
}

void CAppSettingsTest::writtenValueIsReadBackByTheTerminal() {
    QFETCH(int, method);
    QVERIFY(SaveWipeMethod(*OpenProfile(), method));
    int nMethod = method == 0 ? 1 : 0;
    QVERIFY(LoadWipeMethod(*OpenProfile(), nMethod));
    QCOMPARE(nMethod, method);
    std::string raw;
    QVERIFY(quorrel::ReadIniValue(quorrel::SettingsFilePath(), "1.0", "Using Alorithm", raw));
    QCOMPARE(quorrel::DecodeStoredWipeMethod(raw), method);
}

void CAppSettingsTest::writeIsTheKeyTheTerminalLooksFor() {
    QVERIFY(SaveWipeMethod(*OpenProfile(), 2));
    QFile file(quorrel_test::ProfileFile(m_profile));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[1.0]\n"), text.constData());
    QVERIFY2(text.contains("Using%20Alorithm=2\n"), text.constData());
}

void CAppSettingsTest::writeFailsWhenTheFolderCannotBeMade() {
    QFile blocker(m_profile.path() + QStringLiteral("/Tellmoor"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!SaveWipeMethod(*OpenProfile(), 1));
    QFile::remove(blocker.fileName());
    QVERIFY(SaveWipeMethod(*OpenProfile(), 1));
}

QTEST_MAIN(CAppSettingsTest)
#include "app_settings_test.moc"

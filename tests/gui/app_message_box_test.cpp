// The message box seam: caption, the icon rule, the answer, and the test queue.
#include "shell/MessageBox.h"
#include "tests/gui/gui_test_support.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using quorrel::CMessageBox;
using quorrel_test::WhenModal;

class CAppMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void noIconAskedShowsTheExclamation_data();
    void noIconAskedShowsTheExclamation();
    void anAskedIconIsShown_data();
    void anAskedIconIsShown();
    void queuedAnswersAreUsedInOrder();
    void unansweredBoxesAreRefusedWithAWarning_data();
    void unansweredBoxesAreRefusedWithAWarning();
    void theRealBoxHasTheCaptionIconAndButtons();
    void theRealBoxAnswersTheButtonPressed_data();
    void theRealBoxAnswersTheButtonPressed();
    void escapeOnTheRealBoxRefuses_data();
    void escapeOnTheRealBoxRefuses();

private:
    QTemporaryDir m_profile;
};

void CAppMessageBoxTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
}

void CAppMessageBoxTest::init() {
    CMessageBox::ClearShown();
    CMessageBox::SetRefuseUnanswered(false);
}

void CAppMessageBoxTest::noIconAskedShowsTheExclamation_data() {
    QTest::addColumn<int>("buttons");
    QTest::newRow("OK") << int(CMessageBox::Ok);
    QTest::newRow("OK Cancel") << int(CMessageBox::OkCancel);
    QTest::newRow("Yes No") << int(CMessageBox::YesNo);
    QTest::newRow("Yes No Cancel") << int(CMessageBox::YesNoCancel);
}

void CAppMessageBoxTest::noIconAskedShowsTheExclamation() {
    QFETCH(int, buttons);
    QCOMPARE(CMessageBox::IconFor(CMessageBox::EButtons(buttons), CMessageBox::NoIconAsked),
             QMessageBox::Warning);
}

void CAppMessageBoxTest::anAskedIconIsShown_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("expected");
    QTest::newRow("exclamation") << int(CMessageBox::Exclamation) << int(QMessageBox::Warning);
    QTest::newRow("information") << int(CMessageBox::Information) << int(QMessageBox::Information);
    QTest::newRow("question") << int(CMessageBox::Question) << int(QMessageBox::Question);
    QTest::newRow("critical") << int(CMessageBox::Critical) << int(QMessageBox::Critical);
}

void CAppMessageBoxTest::anAskedIconIsShown() {
    QFETCH(int, icon);
    QFETCH(int, expected);
    for (const auto buttons :
         {CMessageBox::Ok, CMessageBox::OkCancel, CMessageBox::YesNo, CMessageBox::YesNoCancel}) {
        QCOMPARE(int(CMessageBox::IconFor(buttons, CMessageBox::EIcon(icon))), expected);
    }
}

void CAppMessageBoxTest::queuedAnswersAreUsedInOrder() {
    CMessageBox::SetNextAnswer(CMessageBox::IdNo);
    CMessageBox::SetNextAnswer(CMessageBox::IdYes);
    QCOMPARE(CMessageBox::Show(nullptr, QStringLiteral("first"), CMessageBox::YesNo),
             int(CMessageBox::IdNo));
    QCOMPARE(CMessageBox::Show(nullptr, QStringLiteral("second"), CMessageBox::YesNo),
             int(CMessageBox::IdYes));
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({"first", "second"}));
    QVERIFY(CMessageBox::UnansweredTexts().isEmpty());
}

void CAppMessageBoxTest::unansweredBoxesAreRefusedWithAWarning_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("refusal");
    QTest::newRow("OK") << int(CMessageBox::Ok) << int(CMessageBox::IdOk);
    QTest::newRow("OK Cancel") << int(CMessageBox::OkCancel) << int(CMessageBox::IdCancel);
    QTest::newRow("Yes No") << int(CMessageBox::YesNo) << int(CMessageBox::IdNo);
    QTest::newRow("Yes No Cancel") << int(CMessageBox::YesNoCancel) << int(CMessageBox::IdCancel);
}

void CAppMessageBoxTest::unansweredBoxesAreRefusedWithAWarning() {
    QFETCH(int, buttons);
    QFETCH(int, refusal);
    CMessageBox::SetRefuseUnanswered(true);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no answer.*Shred it")));
    QCOMPARE(
        CMessageBox::Show(nullptr, QStringLiteral("Shred it?"), CMessageBox::EButtons(buttons)),
        refusal);
    QCOMPARE(CMessageBox::UnansweredTexts(), QStringList({"Shred it?"}));
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({"Shred it?"}));
}

void CAppMessageBoxTest::theRealBoxHasTheCaptionIconAndButtons() {
    QString title;
    int nIcon = -1;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString text;
    bool bTimedOut = false;
    WhenModal<QMessageBox>(
        [&](QMessageBox* pBox) {
            title = pBox->windowTitle();
            nIcon = pBox->icon();
            buttons = pBox->standardButtons();
            defaultButton = pBox->standardButton(pBox->defaultButton());
            text = pBox->text();
            pBox->button(QMessageBox::No)->click();
        },
        &bTimedOut);
    const int nAnswer =
        CMessageBox::Show(nullptr, QStringLiteral("Remove them all?"), CMessageBox::YesNo);
    QVERIFY(!bTimedOut);
    QCOMPARE(title, QStringLiteral("Quorrel"));
    QCOMPARE(nIcon, int(QMessageBox::Warning));
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(defaultButton, QMessageBox::Yes);
    QCOMPARE(text, QStringLiteral("Remove them all?"));
    QCOMPARE(nAnswer, int(CMessageBox::IdNo));
    // A box the user answered is not one the test seam answered.
    QVERIFY(CMessageBox::ShownTexts().isEmpty());
}

void CAppMessageBoxTest::theRealBoxAnswersTheButtonPressed_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << int(CMessageBox::Ok) << int(QMessageBox::Ok) << int(CMessageBox::IdOk);
    QTest::newRow("OK of OK Cancel")
        << int(CMessageBox::OkCancel) << int(QMessageBox::Ok) << int(CMessageBox::IdOk);
    QTest::newRow("Cancel of OK Cancel")
        << int(CMessageBox::OkCancel) << int(QMessageBox::Cancel) << int(CMessageBox::IdCancel);
    QTest::newRow("Yes") << int(CMessageBox::YesNo) << int(QMessageBox::Yes)
                         << int(CMessageBox::IdYes);
    QTest::newRow("No of Yes No Cancel")
        << int(CMessageBox::YesNoCancel) << int(QMessageBox::No) << int(CMessageBox::IdNo);
    QTest::newRow("Cancel of Yes No Cancel")
        << int(CMessageBox::YesNoCancel) << int(QMessageBox::Cancel) << int(CMessageBox::IdCancel);
}

void CAppMessageBoxTest::theRealBoxAnswersTheButtonPressed() {
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, answer);
    bool bTimedOut = false;
    WhenModal<QMessageBox>(
        [press](QMessageBox* pBox) {
            QAbstractButton* pButton = pBox->button(QMessageBox::StandardButton(press));
            QVERIFY(pButton != nullptr);
            pButton->click();
        },
        &bTimedOut);
    QCOMPARE(CMessageBox::Show(nullptr, QStringLiteral("?"), CMessageBox::EButtons(buttons)),
             answer);
    QVERIFY(!bTimedOut);
}

void CAppMessageBoxTest::escapeOnTheRealBoxRefuses_data() {
    unansweredBoxesAreRefusedWithAWarning_data();
}

void CAppMessageBoxTest::escapeOnTheRealBoxRefuses() {
    QFETCH(int, buttons);
    QFETCH(int, refusal);
    bool bTimedOut = false;
    WhenModal<QMessageBox>([](QMessageBox* pBox) { QTest::keyClick(pBox, Qt::Key_Escape); },
                           &bTimedOut);
    QCOMPARE(CMessageBox::Show(nullptr, QStringLiteral("?"), CMessageBox::EButtons(buttons)),
             refusal);
    QVERIFY(!bTimedOut);
}

QTEST_MAIN(CAppMessageBoxTest)
#include "app_message_box_test.moc"

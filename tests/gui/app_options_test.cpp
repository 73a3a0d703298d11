// The Options dialog and the Options command: the method shown, the method kept, the method
// saved, and what the user is told when it cannot be saved.
#include "engine/file/WipeMethod.h"
#include "platform/Settings.h"
#include "shell/AppSettings.h"
#include "shell/MessageBox.h"
#include "shell/OptionsDlg.h"
#include "shell/QuorrelApp.h"
#include "tests/gui/gui_test_support.h"

#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSettings>
#include <QToolTip>
#include <QtTest>

using quorrel::CMessageBox;
using quorrel::COptionsDlg;
using quorrel::WipeMethod;
using quorrel_test::WhenModal;

namespace {

QComboBox* ComboOf(QWidget* pDialog) {
    return pDialog->findChild<QComboBox*>(QStringLiteral("methodCombo"));
}

QPushButton* ButtonOf(QWidget* pDialog, const char* pszName) {
    return pDialog->findChild<QPushButton*>(QLatin1String(pszName));
}

// What the terminal shredder reads from the profile: the same file, its own reader.
bool StoredForTerminal(int& nMethod) {
    std::string raw;
    if (!quorrel::ReadIniValue(quorrel::SettingsFilePath(), "1.0", "Using Alorithm", raw)) {
        return false;
    }
    nMethod = quorrel::DecodeStoredWipeMethod(raw);
    return true;
}

}  // namespace

class CAppOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsTheFourMethodsInOrder();
    void opensOnTheCurrentMethod_data();
    void opensOnTheCurrentMethod();
    void outOfRangeSelectsNothingAndOkStoresMinusOne_data();
    void outOfRangeSelectsNothingAndOkStoresMinusOne();
    void okStoresTheChosenEntryAtOnce();
    void cancelChangesNothing();
    void escapeChangesNothing();
    void okIsTheDefaultAndTheMethodHasTheFocus();
    void tabOrderIsOkCancelList();
    void restingOnAControlShowsItsTooltip_data();
    void restingOnAControlShowsItsTooltip();
    void f1DoesNothing();
    void layoutFollowsTheTemplate();
    void commandOkWritesTheSetting();
    void commandOkWithNothingSelectedWritesMinusOne();
    void commandCancelWritesNothing();
    void commandOkWithTheSameEntryWritesItAgain();
    void commandSaysWhenTheSettingCannotBeSaved();

private:
    QTemporaryDir m_profile;
};

void CAppOptionsTest::initTestCase() {
    quorrel_test::UseProfileFolder(m_profile);
    CMessageBox::SetRefuseUnanswered(true);
}

void CAppOptionsTest::init() {
    quorrel_test::ClearProfile(m_profile);
    CMessageBox::ClearShown();
    WipeMethod() = 0;
}

void CAppOptionsTest::cleanup() {
    QVERIFY(CMessageBox::UnansweredTexts().isEmpty());
    quorrel_test::ClearProfile(m_profile);
}

void CAppOptionsTest::listsTheFourMethodsInOrder() {
    COptionsDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Options"));
    QComboBox* pCombo = ComboOf(&dlg);
    QVERIFY(pCombo != nullptr);
    QVERIFY(!pCombo->isEditable());
    QCOMPARE(pCombo->count(), 4);
    QCOMPARE(pCombo->itemText(0), QStringLiteral("Simple (1 pass: writes 0x00)"));
    QCOMPARE(pCombo->itemText(1),
             QStringLiteral("US DoD 5220.22-M (3 passes: writes 0x00 and 0xFF)"));
    QCOMPARE(pCombo->itemText(2), QStringLiteral("US DoD 5220.22-M (7 passes: writes 0x00 and "
                                                 "0xFF - US govermant aprooved)"));
    QCOMPARE(pCombo->itemText(3), QStringLiteral("Strongest (30 passes: writes random data)"));
    bool bLabelFound = false;
    for (const QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        bLabelFound = bLabelFound || pLabel->text() == QStringLiteral("Select algorithm");
    }
    QVERIFY(bLabelFound);
    QCOMPARE(ButtonOf(&dlg, "okButton")->text(), QStringLiteral("OK"));
    QCOMPARE(ButtonOf(&dlg, "cancelButton")->text(), QStringLiteral("Cancel"));
}

void CAppOptionsTest::opensOnTheCurrentMethod_data() {
    QTest::addColumn<int>("method");
    for (int nMethod = 0; nMethod < 4; ++nMethod) {
        QTest::addRow("method %d", nMethod) << nMethod;
    }
}

void CAppOptionsTest::opensOnTheCurrentMethod() {
    QFETCH(int, method);
    WipeMethod() = method;
    COptionsDlg dlg;
    QCOMPARE(ComboOf(&dlg)->currentIndex(), method);
    QCOMPARE(ComboOf(&dlg)->currentText(), QString::fromUtf8(quorrel::WipeMethodName(method)));
}

void CAppOptionsTest::outOfRangeSelectsNothingAndOkStoresMinusOne_data() {
    QTest::addColumn<int>("method");
    QTest::newRow("4") << 4;
    QTest::newRow("-1") << -1;
    QTest::newRow("large") << 0x01000002;
    QTest::newRow("most negative") << int(0x80000000u);
}

void CAppOptionsTest::outOfRangeSelectsNothingAndOkStoresMinusOne() {
    QFETCH(int, method);
    WipeMethod() = method;
    COptionsDlg dlg;
    QCOMPARE(ComboOf(&dlg)->currentIndex(), -1);
    QCOMPARE(WipeMethod(), method);
    QTest::mouseClick(ButtonOf(&dlg, "okButton"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(WipeMethod(), -1);
}

void CAppOptionsTest::okStoresTheChosenEntryAtOnce() {
    WipeMethod() = 1;
    COptionsDlg dlg;
    ComboOf(&dlg)->setCurrentIndex(3);
    QCOMPARE(WipeMethod(), 1);
    QTest::mouseClick(ButtonOf(&dlg, "okButton"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(WipeMethod(), 3);
    // Storing the choice is the command's work, not the dialog's.
    QVERIFY(!QFile::exists(quorrel_test::ProfileFile(m_profile)));
}

void CAppOptionsTest::cancelChangesNothing() {
    WipeMethod() = 1;
    COptionsDlg dlg;
    ComboOf(&dlg)->setCurrentIndex(3);
    QTest::mouseClick(ButtonOf(&dlg, "cancelButton"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(WipeMethod(), 1);
}

void CAppOptionsTest::escapeChangesNothing() {
    WipeMethod() = 2;
    COptionsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    ComboOf(&dlg)->setCurrentIndex(0);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(WipeMethod(), 2);
}

void CAppOptionsTest::okIsTheDefaultAndTheMethodHasTheFocus() {
    WipeMethod() = 0;
    COptionsDlg dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QPushButton* pOk = ButtonOf(&dlg, "okButton");
    QVERIFY(pOk->isDefault());
    QVERIFY(!ButtonOf(&dlg, "cancelButton")->isDefault());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ComboOf(&dlg)));
    // Down chooses the next method, and Enter takes the default button: OK.
    ComboOf(&dlg)->setCurrentIndex(1);
    QTest::keyClick(ComboOf(&dlg), Qt::Key_Down);
    QTest::keyClick(ComboOf(&dlg), Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(WipeMethod(), 2);
}

void CAppOptionsTest::tabOrderIsOkCancelList() {
    COptionsDlg dlg;
    QPushButton* pOk = ButtonOf(&dlg, "okButton");
    QCOMPARE(pOk->nextInFocusChain(), static_cast<QWidget*>(ButtonOf(&dlg, "cancelButton")));
    QCOMPARE(ButtonOf(&dlg, "cancelButton")->nextInFocusChain(),
             static_cast<QWidget*>(ComboOf(&dlg)));
}

void CAppOptionsTest::restingOnAControlShowsItsTooltip_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("tip");
    QTest::newRow("OK") << "okButton"
                        << "Ok";
    QTest::newRow("Cancel") << "cancelButton"
                            << "Cancel";
    QTest::newRow("list") << "methodCombo"
                          << "Select algorithm";
}

void CAppOptionsTest::restingOnAControlShowsItsTooltip() {
    QFETCH(QString, control);
    QFETCH(QString, tip);
    COptionsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QWidget* pControl = dlg.findChild<QWidget*>(control);
    QVERIFY(pControl != nullptr);
    QToolTip::hideText();
    const QPoint centre = pControl->rect().center();
    QHelpEvent event(QEvent::ToolTip, centre, pControl->mapToGlobal(centre));
    QApplication::sendEvent(pControl, &event);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

void CAppOptionsTest::f1DoesNothing() {
    // A help command that answers F1 wherever the focus is, as a main window's might.
    QMainWindow window;
    QAction help(QStringLiteral("Help"), &window);
    help.setShortcut(Qt::Key_F1);
    help.setShortcutContext(Qt::ApplicationShortcut);
    window.addAction(&help);
    QSignalSpy helpAsked(&help, &QAction::triggered);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    WipeMethod() = 1;
    COptionsDlg dlg(&window);
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(ButtonOf(&dlg, "okButton"), Qt::Key_F1);
    ComboOf(&dlg)->setFocus();
    QTest::keyClick(ComboOf(&dlg), Qt::Key_F1);
    QCOMPARE(helpAsked.count(), 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(WipeMethod(), 1);
    // Outside the dialog the same key does reach the help command.
    dlg.hide();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(helpAsked.count(), 1);
}

void CAppOptionsTest::layoutFollowsTheTemplate() {
    COptionsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QRect combo = ComboOf(&dlg)->geometry();
    const QRect ok = ButtonOf(&dlg, "okButton")->geometry();
    const QRect cancel = ButtonOf(&dlg, "cancelButton")->geometry();
    // The list runs across the top, between equal margins.
    QVERIFY(combo.top() < dlg.height() / 3);
    QVERIFY(combo.width() >= dlg.width() * 8 / 10);
    QVERIFY(qAbs(combo.left() - (dlg.width() - 1 - combo.right())) <= 2);
    // The buttons stand side by side at the bottom right: OK, then Cancel.
    QCOMPARE(ok.top(), cancel.top());
    QVERIFY(ok.right() < cancel.left());
    QVERIFY(ok.top() > combo.bottom());
    QVERIFY(ok.left() > dlg.width() / 2);
    QVERIFY(qAbs((dlg.width() - 1 - cancel.right()) - combo.left()) <= 2);
    QVERIFY(dlg.height() - 1 - cancel.bottom() < cancel.height());
    QCOMPARE(ok.size(), cancel.size());
    // Wider than high, as 280 x 95 dialog units are.
    QVERIFY(dlg.width() > 2 * dlg.height());
    QVERIFY(dlg.width() < 5 * dlg.height());
}

void CAppOptionsTest::commandOkWritesTheSetting() {
    quorrel::CQuorrelApp app({});
    WipeMethod() = 0;
    bool bTimedOut = false;
    WhenModal<COptionsDlg>(
        [](COptionsDlg* pDlg) {
            QCOMPARE(ComboOf(pDlg)->currentIndex(), 0);
            ComboOf(pDlg)->setCurrentIndex(2);
            ButtonOf(pDlg, "okButton")->click();
        },
        &bTimedOut);
    app.OnOptions();
    QVERIFY(!bTimedOut);
    QCOMPARE(WipeMethod(), 2);
    int nStored = -100;
    QVERIFY(quorrel::LoadWipeMethod(*quorrel::OpenProfile(), nStored));
    QCOMPARE(nStored, 2);
    int nTerminal = -100;
    QVERIFY(StoredForTerminal(nTerminal));
    QCOMPARE(nTerminal, 2);
    QVERIFY(CMessageBox::ShownTexts().isEmpty());
}

void CAppOptionsTest::commandOkWithNothingSelectedWritesMinusOne() {
    quorrel::CQuorrelApp app({});
    WipeMethod() = 9;
    bool bTimedOut = false;
    WhenModal<COptionsDlg>(
        [](COptionsDlg* pDlg) {
            QCOMPARE(ComboOf(pDlg)->currentIndex(), -1);
            ButtonOf(pDlg, "okButton")->click();
        },
        &bTimedOut);
    app.OnOptions();
    QVERIFY(!bTimedOut);
    QCOMPARE(WipeMethod(), -1);
    int nTerminal = 0;
    QVERIFY(StoredForTerminal(nTerminal));
    QCOMPARE(nTerminal, -1);
}

void CAppOptionsTest::commandCancelWritesNothing() {
    quorrel::CQuorrelApp app({});
    WipeMethod() = 1;
    bool bTimedOut = false;
    WhenModal<COptionsDlg>(
        [](COptionsDlg* pDlg) {
            ComboOf(pDlg)->setCurrentIndex(3);
            ButtonOf(pDlg, "cancelButton")->click();
        },
        &bTimedOut);
    app.OnOptions();
    QVERIFY(!bTimedOut);
    QCOMPARE(WipeMethod(), 1);
    int nStored = -100;
    QVERIFY(!quorrel::LoadWipeMethod(*quorrel::OpenProfile(), nStored));
    QCOMPARE(nStored, -100);
    QVERIFY(CMessageBox::ShownTexts().isEmpty());
}

void CAppOptionsTest::commandOkWithTheSameEntryWritesItAgain() {
    // The method in memory differs from the stored one, as after a failed save: OK without a
    // change stores what the dialog shows.
    QVERIFY(quorrel::SaveWipeMethod(*quorrel::OpenProfile(), 1));
    quorrel::CQuorrelApp app({});
    WipeMethod() = 2;
    bool bTimedOut = false;
    WhenModal<COptionsDlg>([](COptionsDlg* pDlg) { ButtonOf(pDlg, "okButton")->click(); },
                           &bTimedOut);
    app.OnOptions();
    QVERIFY(!bTimedOut);
    QCOMPARE(WipeMethod(), 2);
    int nTerminal = 0;
    QVERIFY(StoredForTerminal(nTerminal));
    QCOMPARE(nTerminal, 2);
}

void CAppOptionsTest::commandSaysWhenTheSettingCannotBeSaved() {
    // A file where the profile's folder should be: the setting cannot be written, even by root.
    QFile blocker(m_profile.path() + QStringLiteral("/Tellmoor"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    quorrel::CQuorrelApp app({});
    WipeMethod() = 0;
    bool bTimedOut = false;
    WhenModal<COptionsDlg>(
        [](COptionsDlg* pDlg) {
            ComboOf(pDlg)->setCurrentIndex(3);
            ButtonOf(pDlg, "okButton")->click();
        },
        &bTimedOut);
    CMessageBox::SetNextAnswer(CMessageBox::IdOk);
    app.OnOptions();
    QVERIFY(!bTimedOut);
    QCOMPARE(CMessageBox::ShownTexts(), QStringList({"Faild to save options"}));
    // The choice holds for this session all the same.
    QCOMPARE(WipeMethod(), 3);
}

QTEST_MAIN(CAppOptionsTest)
#include "app_options_test.moc"

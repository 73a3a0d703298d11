// Every message box of the program goes through here, so that tests can answer them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace quorrel {

class CMessageBox {
public:
    enum EButtons { Ok, OkCancel, YesNo, YesNoCancel };
    enum EIcon { NoIconAsked, Exclamation, Information, Question, Critical };
    enum EAnswer { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

    // Shows `text` with caption "Quorrel" and returns the button pressed. When no icon is
    // asked for, the box shows the exclamation icon. When a test has queued answers, the next
    // one is returned at once and nothing is shown.
    // `nDefault` is the answer of the default button; 0 for the first one.
    static int Show(QWidget* parent, const QString& text, EButtons buttons,
                    EIcon icon = NoIconAsked, int nDefault = 0);

    // The icon a box with `buttons` shows when `icon` is asked for: the one asked for, and the
    // exclamation (warning) icon when none is asked for.
    static QMessageBox::Icon IconFor(EButtons buttons, EIcon icon);

    // The answer a box with `buttons` gives when it is refused: No for Yes/No, Cancel where
    // there is a Cancel button, OK for a box that has nothing else.
    static int RefusalFor(EButtons buttons);

    // Tests: queue the answer of the next box (answers are used in order).
    static void SetNextAnswer(int answer);
    // Tests: the texts of the boxes that were answered without being shown (from the queue,
    // or refused), oldest first; cleared by ClearShown.
    static QStringList ShownTexts();
    // Tests: the texts of the boxes that found no queued answer and were refused; a test that
    // expects none checks that this stays empty. Cleared by ClearShown.
    static QStringList UnansweredTexts();
    // Tests: the answer of the default button of the last box asked (0 for the first one).
    static int LastDefault();
    // Tests: forgets the recorded texts and any answers still queued.
    static void ClearShown();
    // Tests: boxes with no queued answer are refused (RefusalFor) with a warning instead of
    // blocking the test on a modal box. Each test sets it in its initTestCase.
    static void SetRefuseUnanswered(bool bRefuse);
};

}  // namespace quorrel

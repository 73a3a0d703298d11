#include "shell/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QtGlobal>

namespace quorrel {

namespace {

// What the test seam holds. One GUI thread touches it, so nothing is locked.
struct SSeam {
    QList<int> answers;
    QStringList shown;
    QList<int> defaults;
    QStringList unanswered;
    bool bRefuseUnanswered = false;
};

SSeam& Seam() {
    static SSeam seam;
    return seam;
}

// The buttons of the box, in the order the user reads them; the first is the default.
QList<QMessageBox::StandardButton> ButtonsOf(CMessageBox::EButtons buttons) {
    switch (buttons) {
        case CMessageBox::OkCancel:
            return {QMessageBox::Ok, QMessageBox::Cancel};
        case CMessageBox::YesNo:
            return {QMessageBox::Yes, QMessageBox::No};
        case CMessageBox::YesNoCancel:
            return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case CMessageBox::Ok:
            break;
    }
    return {QMessageBox::Ok};
}

int AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Cancel:
            return CMessageBox::IdCancel;
        case QMessageBox::Yes:
            return CMessageBox::IdYes;
        case QMessageBox::No:
            return CMessageBox::IdNo;
        default:
            return CMessageBox::IdOk;
    }
}

// The button Enter presses.
QMessageBox::StandardButton DefaultOf(CMessageBox::EButtons buttons,
                                      CMessageBox::EDefault defaultButton) {
    if (defaultButton == CMessageBox::DefaultRefusal) {
        switch (CMessageBox::RefusalFor(buttons)) {
            case CMessageBox::IdNo:
                return QMessageBox::No;
            case CMessageBox::IdCancel:
                return QMessageBox::Cancel;
            default:
                break;
        }
    }
    return ButtonsOf(buttons).front();
}

// The box the user sees, run modally.
int ShowModal(QWidget* parent, const QString& text, CMessageBox::EButtons buttons,
              CMessageBox::EIcon icon, CMessageBox::EDefault defaultButton) {
    // Without an owner the box stands over the active window, as the program's main window
    // owns every box it shows.
    QMessageBox box(parent != nullptr ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(QStringLiteral("Quorrel"));
    // A path in the text is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(CMessageBox::IconFor(buttons, icon));
    const QList<QMessageBox::StandardButton> order = ButtonsOf(buttons);
    QMessageBox::StandardButtons set;
    for (const QMessageBox::StandardButton button : order) {
        set |= button;
    }
    box.setStandardButtons(set);
    box.setDefaultButton(DefaultOf(buttons, defaultButton));
    // Escape and the close button give the refusal, never a Yes.
    box.setEscapeButton(buttons == CMessageBox::YesNo ? QMessageBox::No : order.back());
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) {
        return CMessageBox::RefusalFor(buttons);
    }
    return AnswerOf(box.standardButton(clicked));
}

}  // namespace

int CMessageBox::Show(QWidget* parent, const QString& text, EButtons buttons, EIcon icon,
                      EDefault defaultButton) {
    SSeam& seam = Seam();
    if (!seam.answers.isEmpty() || seam.bRefuseUnanswered) {
        seam.shown.append(text);
        seam.defaults.append(AnswerOf(DefaultOf(buttons, defaultButton)));
    }
    if (!seam.answers.isEmpty()) {
        return seam.answers.takeFirst();
    }
    if (seam.bRefuseUnanswered) {
        seam.unanswered.append(text);
        qWarning("CMessageBox: no answer queued for \"%s\"; refused", qUtf8Printable(text));
        return RefusalFor(buttons);
    }
    return ShowModal(parent, text, buttons, icon, defaultButton);
}

QMessageBox::Icon CMessageBox::IconFor(EButtons buttons, EIcon icon) {
    switch (icon) {
        case Exclamation:
            return QMessageBox::Warning;
        case Information:
            return QMessageBox::Information;
        case Question:
            return QMessageBox::Question;
        case Critical:
            return QMessageBox::Critical;
        case NoIconAsked:
            break;
    }
    // Every button set the program uses is one that gets the exclamation icon by default.
    switch (buttons) {
        case Ok:
        case OkCancel:
        case YesNo:
        case YesNoCancel:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

int CMessageBox::RefusalFor(EButtons buttons) {
    switch (buttons) {
        case OkCancel:
        case YesNoCancel:
            return IdCancel;
        case YesNo:
            return IdNo;
        case Ok:
            break;
    }
    return IdOk;
}

void CMessageBox::SetNextAnswer(int answer) {
    Seam().answers.append(answer);
}

QStringList CMessageBox::ShownTexts() {
    return Seam().shown;
}

QList<int> CMessageBox::ShownDefaults() {
    return Seam().defaults;
}

QStringList CMessageBox::UnansweredTexts() {
    return Seam().unanswered;
}

void CMessageBox::ClearShown() {
    SSeam& seam = Seam();
    seam.answers.clear();
    seam.shown.clear();
    seam.defaults.clear();
    seam.unanswered.clear();
}

void CMessageBox::SetRefuseUnanswered(bool bRefuse) {
    Seam().bRefuseUnanswered = bRefuse;
}

}  // namespace quorrel

#include "MessageBox.h"

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
    QStringList unanswered;
    bool bRefuseUnanswered = false;
    int nLastDefault = 0;
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

// The box the user sees, run modally.
QMessageBox::StandardButton ButtonOf(int nAnswer) {
    switch (nAnswer) {
        case CMessageBox::IdCancel:
            return QMessageBox::Cancel;
        case CMessageBox::IdYes:
            return QMessageBox::Yes;
        case CMessageBox::IdNo:
            return QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

int ShowModal(QWidget* parent, const QString& text, CMessageBox::EButtons buttons,
              CMessageBox::EIcon icon, int nDefault) {
    // Without an owner the box stands over the active window, as the program's main window
    // owns every box it shows.
    QMessageBox box(parent != nullptr ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(QStringLiteral("Quorrel"));
    box.setText(text);
    box.setIcon(CMessageBox::IconFor(buttons, icon));
    const QList<QMessageBox::StandardButton> order = ButtonsOf(buttons);
    QMessageBox::StandardButtons set;
    for (const QMessageBox::StandardButton button : order) {
        set |= button;
    }
    box.setStandardButtons(set);
    box.setDefaultButton(nDefault != 0 ? ButtonOf(nDefault) : order.front());
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
                      int nDefault) {
    SSeam& seam = Seam();
    seam.nLastDefault = nDefault;
    if (!seam.answers.isEmpty()) {
        seam.shown.append(text);
        return seam.answers.takeFirst();
    }
    if (seam.bRefuseUnanswered) {
        seam.shown.append(text);
        seam.unanswered.append(text);
        qWarning("CMessageBox: no answer queued for \"%s\"; refused", qUtf8Printable(text));
        return RefusalFor(buttons);
    }
    return ShowModal(parent, text, buttons, icon, nDefault);
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

int CMessageBox::LastDefault() {
    return Seam().nLastDefault;
}

void CMessageBox::SetNextAnswer(int answer) {
    Seam().answers.append(answer);
}

QStringList CMessageBox::ShownTexts() {
    return Seam().shown;
}

QStringList CMessageBox::UnansweredTexts() {
    return Seam().unanswered;
}

void CMessageBox::ClearShown() {
    SSeam& seam = Seam();
    seam.answers.clear();
    seam.shown.clear();
    seam.unanswered.clear();
}

void CMessageBox::SetRefuseUnanswered(bool bRefuse) {
    Seam().bRefuseUnanswered = bRefuse;
}

}  // namespace quorrel

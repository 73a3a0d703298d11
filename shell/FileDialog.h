// Every file and folder chooser of the program goes through here, so that tests can answer
// them without a modal dialog.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace quorrel {

class CFileDialog {
public:
    // Lets the user choose one or more existing files; their full paths in the order the
    // dialog gives them, or an empty list when the user cancels. `filter` is in the form
    // "All Files (*)", or "Label (shown) (matched)" when the label must show patterns other
    // than the ones matched; empty for every file. A queued answer is returned at once instead.
    static QStringList GetOpenFileNames(QWidget* parent, const QString& caption,
                                        const QString& filter);
    // Whether the folder the chooser opens at counts as chosen when the user confirms with
    // nothing typed or selected. A chooser whose folder is about to be destroyed must never
    // take a folder the user did not name: Enter on an empty field then does nothing.
    // StartInParent: the chooser shows the start folder selected in its parent folder, so a
    // folder of very many files is not listed unless the user goes into it, and Enter chooses
    // the start folder again.
    enum EStartChoice { StartMayBeChosen, NameMustBeChosen, StartInParent };

    // Lets the user choose one folder, starting at `startDir` (the current directory when
    // empty); its path, or an empty string when the user cancels. A queued answer is
    // returned at once instead.
    static QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                        const QString& startDir,
                                        EStartChoice startChoice = StartMayBeChosen);

    // Tests: queue the files the next file chooser returns (an empty list is a cancel).
    static void SetNextFiles(const QStringList& files);
    // Tests: queue the folder the next folder chooser returns (an empty string is a cancel).
    static void SetNextDirectory(const QString& directory);
    // Tests: the start folder the last folder chooser was asked to open at (queued answers
    // included); reset by ClearAnswers.
    static QString LastStartDirectory();
    // Tests: how many choosers were answered from the queue or refused; reset by ClearAnswers.
    static int AskedCount();
    // Tests: forgets the queued answers and the count.
    static void ClearAnswers();
    // Tests: a chooser with no queued answer is cancelled with a warning instead of blocking
    // the test on a modal dialog.
    static void SetRefuseUnanswered(bool bRefuse);
};

}  // namespace quorrel

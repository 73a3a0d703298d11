// What the window's tests share: a profile folder of their own, a real main window made and
// shown as the program makes it, rows for its list, readers of its menus, and answering modal
// dialogs from a timer so a test drives them as a user would, without hanging.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>

#include "list/QuorrelView.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"

namespace quorrel_test {

// Points the settings at `dir` before anything reads them: the settings object fixes its
// folder at first use, and the user's real profile must never be touched.
inline void UseProfileFolder(const QTemporaryDir& dir) {
    QVERIFY(dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
}

// Points the settings at `dir` and makes message boxes without a queued answer fail instead
// of blocking: called first thing in initTestCase of a window's test, before anything reads
// the settings.
inline void PrepareTestCase(const QTemporaryDir& dir) {
    UseProfileFolder(dir);
    quorrel::CMessageBox::SetRefuseUnanswered(true);
}

// The profile file of the program under `dir`.
inline QString ProfileFile(const QTemporaryDir& dir) {
    return dir.path() + QStringLiteral("/Tellmoor/Quorrel.conf");
}

// Forgets everything stored in the profile folder (the profile file with the window's placement
// and the options, or a file a test put in place of the folder), so that what comes next starts
// as on a first start.
inline void ClearProfile(const QTemporaryDir& dir) {
    const QString folder = dir.path() + QStringLiteral("/Tellmoor");
    QFile::remove(ProfileFile(dir));
    QFile::remove(folder);
    QDir(folder).removeRecursively();
}

// A main window made as start-up makes it; shown and active when `bShow`.
inline std::unique_ptr<quorrel::CMainFrame> MakeFrame(bool bShow = true) {
    auto pFrame = std::make_unique<quorrel::CMainFrame>();
    if (!pFrame->Create()) {
        return nullptr;
    }
    if (bShow) {
        pFrame->show();
        pFrame->activateWindow();
        if (!QTest::qWaitForWindowExposed(pFrame.get())) {
            return nullptr;
        }
    }
    return pFrame;
}

// Adds a row for each path, in order (so the last one ends on top).
inline void AddRows(quorrel::CQuorrelView& view, const QList<QByteArray>& paths) {
    for (const QByteArray& path : paths) {
        view.AddEntry(path, quorrel::ItemKind::File);
    }
}

// The paths of the list's rows, from the top.
inline QList<QByteArray> RowPaths(const quorrel::CQuorrelView& view) {
    QList<QByteArray> paths;
    for (int nRow = 0; nRow < view.GetItemCount(); ++nRow) {
        paths.append(view.GetItemPath(nRow));
    }
    return paths;
}

// The texts of a menu's items from the top, "-" for a separator.
inline QStringList MenuTexts(const QWidget& menu) {
    QStringList texts;
    for (const QAction* pAction : menu.actions()) {
        texts.append(pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    }
    return texts;
}

// The message boxes that found no answer: a test that expects none checks this is empty.
inline void ExpectNoUnansweredBox() {
    QCOMPARE(quorrel::CMessageBox::UnansweredTexts(), QStringList());
}

// Runs `answer` on the next modal dialog of type T once it is open (before the caller's
// exec() returns). When none opens within `msTimeout`, the modal widget that is open, if
// any, is closed and `*pbTimedOut` set, so a failing test ends instead of hanging.
template <typename T>
void WhenModal(std::function<void(T*)> answer, bool* pbTimedOut = nullptr, int msTimeout = 5000) {
    auto* pTimer = new QTimer(qApp);
    auto* pClock = new QElapsedTimer;
    pClock->start();
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, pClock, answer, pbTimedOut, msTimeout] {
        QWidget* pModal = QApplication::activeModalWidget();
        T* pDialog = qobject_cast<T*>(pModal);
        if (pDialog == nullptr && pClock->elapsed() < msTimeout) {
            return;
        }
        pTimer->stop();
        pTimer->deleteLater();
        delete pClock;
        if (pDialog != nullptr) {
            answer(pDialog);
            return;
        }
        if (pbTimedOut != nullptr) {
            *pbTimedOut = true;
        }
        if (pModal != nullptr) {
            pModal->close();
        }
    });
    pTimer->start(10);
}

}  // namespace quorrel_test

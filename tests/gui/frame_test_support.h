// What the main frame's tests share: a profile folder of their own, a real main window made and
// shown as the program makes it, rows for its list, and readers of its menus.
#pragma once

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "MainFrame.h"
#include "MessageBox.h"
#include "QuorrelView.h"

namespace frame_test {

// Points the settings at `dir` and makes message boxes without a queued answer fail instead
// of blocking: called first thing in initTestCase, before anything reads the settings.
inline void PrepareTestCase(const QTemporaryDir& dir) {
    QVERIFY(dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    quorrel::CMessageBox::SetRefuseUnanswered(true);
}

// Forgets the stored window placement, so that every frame starts as on a first start.
inline void ClearProfile(const QTemporaryDir& dir) {
    QFile::remove(dir.path() + QStringLiteral("/Tellmoor/Quorrel.conf"));
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

}  // namespace frame_test

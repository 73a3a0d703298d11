// What the application tests share: a profile folder of their own, and answering modal
// dialogs from a timer so a test drives them as a user would, without hanging.
#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

namespace quorrel_test {

// Points the settings at `dir` before anything reads them: the settings object fixes its
// folder at first use, and the user's real profile must never be touched.
inline void UseProfileFolder(const QTemporaryDir& dir) {
    QVERIFY(dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
}

// The profile file of the program under `dir`.
inline QString ProfileFile(const QTemporaryDir& dir) {
    return dir.path() + QStringLiteral("/Tellmoor/Quorrel.conf");
}

// Removes whatever a test left in the profile folder (the file, or a file in place of the
// folder).
inline void ClearProfile(const QTemporaryDir& dir) {
    const QString folder = dir.path() + QStringLiteral("/Tellmoor");
    QFile::remove(folder);
    QDir(folder).removeRecursively();
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

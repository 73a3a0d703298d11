// Helpers of the tests that shred real files from the window: making files, looking at what
// is left, and watching the action log while a run works.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QtTest>

#include <functional>

#include "shell/OutputBar.h"
#include "shell/WindowRunHost.h"

namespace quorrel_test {

// Writes `nBytes` bytes of `nFill` to a new file at `path`.
inline bool MakeFile(const QByteArray& path, qint64 nBytes, char nFill = 'x') {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return false;
    }
    const QByteArray block(64 * 1024, nFill);
    bool bOk = true;
    for (qint64 nDone = 0; bOk && nDone < nBytes;) {
        const qint64 nPart = qMin<qint64>(block.size(), nBytes - nDone);
        bOk = ::write(fd, block.constData(), static_cast<size_t>(nPart)) == nPart;
        nDone += nPart;
    }
    return ::close(fd) == 0 && bOk;
}

// True when an entry of that name exists (a dangling link counts).
inline bool Exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// The file's size, -1 when it is gone.
inline qint64 SizeOf(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 ? static_cast<qint64>(st.st_size) : -1;
}

// True when the whole file still holds `nFill` only.
inline bool HoldsOnly(const QByteArray& path, char nFill) {
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray data = file.readAll();
    return !data.isEmpty() && data.count(nFill) == data.size();
}

// A run lets window events through only every so often. Called from inside a run (from a log
// line or a progress step) right after posting something for it, this makes the run's next
// check the one that delivers it, as if that much work had gone by.
inline void MakeTheNextCheckLetEventsThrough() {
    QTest::qSleep(quorrel::CWindowRunHost::kEventIntervalMs + 5);
}

inline QString Text(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

inline bool IsTimeLine(const QString& line) {
    static const QRegularExpression timeLine(QStringLiteral("^- Time: \\d+ seconds\\.$"));
    return timeLine.match(line).hasMatch();
}

// Hands every line the action log receives to `onLine` the moment it is written, that is from
// inside a run. Disconnects when it goes.
class CLogWatch {
public:
    CLogWatch(quorrel::COutputBar& bar, std::function<void(const QString&)> onLine) {
        QAbstractItemModel* pModel = bar.LogList().model();
        m_connection =
            QObject::connect(pModel, &QAbstractItemModel::rowsInserted,
                             [pModel, onLine](const QModelIndex&, int nFirst, int nLast) {
                                 for (int nRow = nFirst; nRow <= nLast; ++nRow) {
                                     onLine(pModel->index(nRow, 0).data().toString());
                                 }
                             });
    }
    ~CLogWatch() { QObject::disconnect(m_connection); }
    CLogWatch(const CLogWatch&) = delete;
    CLogWatch& operator=(const CLogWatch&) = delete;

private:
    QMetaObject::Connection m_connection;
};

}  // namespace quorrel_test

// Add Folder's chooser over a folder of very many files: how long the window's event loop
// stalls, and how much memory stays taken after the chooser is closed, when the chooser opens
// inside that folder (as it did when it started at the current directory) and when it shows
// the folder selected in its parent (as it starts now at the folder chosen last).
//
//   bench_add_folder_chooser FOLDER     (FOLDER holds the many files; made by the caller)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

#include <cstdio>

#include "shell/FileDialog.h"

namespace {

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// Opens the chooser at `start` the way Add Folder does, waits until the folder on show is
// listed and the event loop has been idle for a while, and closes it. Prints the longest gap
// between two 10 ms ticks of the event loop meanwhile (while it stalls, typed keys wait or are
// lost) and the memory that stays taken.
void Measure(const char* pszLabel, const QString& start, quorrel::CFileDialog::EStartChoice how) {
    const long nBefore = ResidentKiB();
    QElapsedTimer clock;
    qint64 nLongestGap = 0;
    qint64 nLastTick = 0;
    qint64 nLoaded = -1;
    qint64 nQuietSince = -1;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 nNow = clock.elapsed();
        nLongestGap = qMax(nLongestGap, nNow - nLastTick);
        nLastTick = nNow;
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (pDialog == nullptr) {
            return;
        }
        auto* pModel = pDialog->findChild<QFileSystemModel*>();
        if (nLoaded < 0 && pModel != nullptr) {
            const QModelIndex root = pModel->index(pDialog->directory().absolutePath());
            if (!pModel->canFetchMore(root) && pModel->rowCount(root) >= 0 && nNow > 200) {
                nLoaded = nNow;
                nQuietSince = nNow;
            }
        }
        if (nQuietSince >= 0 && nNow - nQuietSince > 2000) {
            pDialog->reject();
        }
    });
    clock.start();
    ticks.start(10);
    quorrel::CFileDialog::GetExistingDirectory(nullptr, QStringLiteral("Select Directory"), start,
                                               how);
    ticks.stop();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
    }
    std::printf("%-30s longest stall of the event loop %6lld ms, memory kept %+7ld KiB\n", pszLabel,
                static_cast<long long>(nLongestGap), ResidentKiB() - nBefore);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_add_folder_chooser FOLDER\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    Measure("shown selected in its parent", folder, quorrel::CFileDialog::StartInParent);
    Measure("opened inside the folder", folder, quorrel::CFileDialog::StartMayBeChosen);
    return 0;
}

// Times filling the file list the way the add commands do: for every path, ContainsPath first,
// then AddEntry. Run it on the offscreen platform:
//     QT_QPA_PLATFORM=offscreen build/bench/bench_list_add [count]
// It prints figures and exits 0; the target is under 1 second for 100,000 paths.
#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

#include "list/QuorrelView.h"

namespace {

// Distinct paths spread over a few folders, as a folder's files or a dropped selection are.
QByteArray BenchPath(int nIndex) {
    return "/home/user/Documents/project-" + QByteArray::number(nIndex % 97) + "/report-" +
           QByteArray::number(nIndex) + ".txt";
}

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int nCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    quorrel::CQuorrelView view;
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    int nAdded = 0;
    for (int k = 0; k < nCount; ++k) {
        const QByteArray path = BenchPath(k);
        if (!view.ContainsPath(path)) {
            view.AddEntry(path, quorrel::ItemKind::File);
            ++nAdded;
        }
    }
    const double fAddMs = Milliseconds(timer);
    QApplication::processEvents();  // the view lays out and paints the new rows
    const double fShownMs = Milliseconds(timer);

    timer.restart();
    int nFound = 0;
    for (int k = 0; k < nCount; ++k) {
        nFound += view.ContainsPath(BenchPath(k)) ? 1 : 0;
    }
    const double fLookupMs = Milliseconds(timer);

    // Remove Selected over every second row, then over all the rest.
    for (int nRow = 0; nRow < view.GetItemCount(); nRow += 2) {
        view.SetItemSelected(nRow, true);
    }
    timer.restart();
    view.DeleteSelectedItems();
    QApplication::processEvents();
    const double fRemoveHalfMs = Milliseconds(timer);
    timer.restart();
    view.SelectAllItems();
    view.DeleteSelectedItems();
    QApplication::processEvents();
    const double fRemoveRestMs = Milliseconds(timer);

    std::printf("list_add: %d paths checked and added: %.1f ms (%.2f us per path)\n", nAdded,
                fAddMs, nCount > 0 ? fAddMs * 1000.0 / nCount : 0.0);
    std::printf("list_add: until the view has laid out and painted them: %.1f ms\n", fShownMs);
    std::printf("list_add: %d duplicate checks on the full list: %.1f ms\n", nFound, fLookupMs);
    std::printf(
        "list_add: Remove Selected of every second row: %.1f ms; of all the rest: %.1f ms "
        "(%s)\n",
        fRemoveHalfMs, fRemoveRestMs, view.GetItemCount() == 0 ? "list empty" : "ROWS LEFT");
    std::printf("list_add: target under 1000 ms for 100000 paths: %s\n",
                fShownMs < 1000.0 ? "met" : "missed");
    return 0;
}

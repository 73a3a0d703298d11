// The many-small-files half of bench_window_responsiveness.
#pragma once

#include <QString>

#include <string>

namespace quorrel_bench {

struct SManyFilesOptions {
    std::string folder;  // where the files are made
    int nFiles = 10000;
    int nBytes = 0;
    QString shred;    // the quorrel-shred to compare with
    int nRounds = 1;  // window and terminal runs, in turn, each on a fresh set
};

// Makes the files afresh for every run: quorrel-shred and the window's WIPE All shred a set
// each, in turn, for every round (the first run of a round alternates), then a WIPE All is
// cancelled a third of the way into a last set. Prints each round's times and the window's
// time over the terminal's with the load average, their median, the longest gap between
// handled events and the Cancel response.
// Returns 0, or 2 when the set-up failed. Needs a QApplication.
int RunManyFiles(const SManyFilesOptions& options);

}  // namespace quorrel_bench

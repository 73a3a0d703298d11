// The many-small-files half of bench_window_responsiveness.
#pragma once

#include <QString>

#include <string>

namespace quorrel_bench {

struct SManyFilesOptions {
    std::string folder;  // where the files are made
    int nFiles = 10000;
    int nBytes = 0;
    QString shred;  // the quorrel-shred to compare with
};

// Makes the files three times: quorrel-shred shreds the first set, the window's WIPE All the
// second, and a WIPE All cancelled a third of the way in the third. Prints the window's time
// over the terminal's, the longest gap between handled events and the Cancel response.
// Returns 0, or 2 when the set-up failed. Needs a QApplication.
int RunManyFiles(const SManyFilesOptions& options);

}  // namespace quorrel_bench

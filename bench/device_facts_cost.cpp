// What reading the device facts costs a run: a list run over N empty files (100,000 unless
// given) with the facts (one look-up per entry, the facts read once per volume) against the same
// run with them switched off, alternated, ROUNDS rounds each; the median of each and their
// ratio, in CPU seconds (std::clock: other work on a shared machine does not count) and in wall
// seconds. The files are made afresh before every run in FOLDER (a temporary folder under
// TMPDIR unless given); the facts of FOLDER's volume are printed first.
//
//     build/bench/bench_device_facts_cost [N] [ROUNDS] [FOLDER]
//
// Target: the run with the facts costs no more than 1.02 times the run without them.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "engine/runs/PathList.h"
#include "engine/runs/Runs.h"

namespace {

class CQuietHost : public quorrel::IRunHost {
public:
    void AddLine(const std::string& line) override { m_nLines += line.empty() ? 0 : 1; }
    bool IsAborted() override { return false; }
    long m_nLines = 0;
};

struct CTimes {
    double fCpu = 0;
    double fWall = 0;
};

// Makes `nFiles` empty files in `folder` and returns their paths.
std::vector<std::string> MakeFiles(const std::string& folder, int nFiles) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(nFiles));
    for (int i = 0; i < nFiles; ++i) {
        paths.push_back(folder + "/f" + std::to_string(i));
        std::FILE* file = std::fopen(paths.back().c_str(), "w");
        if (file == nullptr) {
            std::perror(paths.back().c_str());
            std::exit(1);
        }
        std::fclose(file);
    }
    return paths;
}

CTimes TimeRun(const std::string& folder, int nFiles, bool bFacts) {
    const std::vector<std::string> paths = MakeFiles(folder, nFiles);
    CQuietHost host;
    quorrel::CWipeEngine engine(quorrel::SystemFileSystem(), host);
    engine.SetFilesInFlight(1);
    engine.DeviceNotes().SetEnabled(bFacts);
    quorrel::CPathList list(paths);
    const std::clock_t nCpu = std::clock();
    const auto wall = std::chrono::steady_clock::now();
    quorrel::RunWipeSelected(engine, list);
    CTimes times;
    times.fCpu = static_cast<double>(std::clock() - nCpu) / CLOCKS_PER_SEC;
    times.fWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    if (list.GetItemCount() != 0) {
        std::fprintf(stderr, "%d files were not shredded\n", list.GetItemCount());
        std::exit(1);
    }
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int nFiles = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int nRounds = argc > 2 ? std::atoi(argv[2]) : 3;
    std::string folder;
    if (argc > 3) {
        folder = argv[3];
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/quorrel-bench-XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    quorrel::CFileError error;
    quorrel::CDirEntry self;  // no mount of its own: the folder's
    quorrel::CVolumeDevice device;
    std::unique_ptr<quorrel::IFolder> opened =
        quorrel::SystemFileSystem().OpenFolder(folder, error);
    if (opened && opened->GetDevice(self, device)) {
        std::printf("%s", quorrel::FormatVolumeDevice(device).c_str());
    }
    std::vector<double> cpuWith, cpuWithout, wallWith, wallWithout;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        for (const bool bFacts : {nRound % 2 == 0, nRound % 2 != 0}) {  // alternate the order
            const CTimes times = TimeRun(folder, nFiles, bFacts);
            (bFacts ? cpuWith : cpuWithout).push_back(times.fCpu);
            (bFacts ? wallWith : wallWithout).push_back(times.fWall);
            std::printf("round %d, facts %-3s: %.3f s CPU, %.3f s wall\n", nRound + 1,
                        bFacts ? "on" : "off", times.fCpu, times.fWall);
            std::fflush(stdout);
        }
    }
    std::printf(
        "%d files, median of %d: with facts %.3f s CPU / %.3f s wall, without %.3f s CPU"
        " / %.3f s wall; ratio %.3f CPU, %.3f wall (target <= 1.02)\n",
        nFiles, nRounds, Median(cpuWith), Median(wallWith), Median(cpuWithout), Median(wallWithout),
        Median(cpuWith) / Median(cpuWithout), Median(wallWith) / Median(wallWithout));
    if (argc <= 3) {
        ::rmdir(folder.c_str());
    }
    return 0;
}

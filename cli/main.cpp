// quorrel-shred: the shredding engine from a terminal.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ShredArguments.h"
#include "cli/TerminalHost.h"
#include "engine/file/WipeMethod.h"
#include "engine/freespace/FreeSpaceRun.h"
#include "engine/runs/PathList.h"
#include "engine/runs/RecycleBinRun.h"
#include "engine/runs/RecycleBinSummary.h"
#include "engine/runs/RunProgress.h"
#include "engine/runs/Runs.h"
#include "platform/Console.h"
#include "platform/RecycleBins.h"
#include "platform/Settings.h"

namespace quorrel {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotInPlace = 3;  // every entry removed, some not overwritten where they lay

// The exit status of a run that did its work: a failure wins over a warning.
int Outcome(bool bDone, const CWipeEngine& engine) {
    if (!bDone) {
        return kExitFailed;
    }
    switch (engine.RunOutcome()) {
        case EWipeOutcome::Destroyed:
            return kExitDone;
        case EWipeOutcome::RemovedNotInPlace:
            return kExitNotInPlace;
        case EWipeOutcome::Failed:
        case EWipeOutcome::Aborted:
        case EWipeOutcome::NotBegun:
            break;
    }
    return kExitFailed;
}

// The method of --method, else the one stored by the window's Options, else 0.
int ChooseMethod(const CShredOptions& options) {
    if (options.bHasMethod) {
        return options.nMethod;
    }
    int nMethod = 0;
    ReadStoredWipeMethod(nMethod);
    return nMethod;
}

// Asks the run's question on the terminal; only "y" or "yes" goes on.
bool Confirm(const char* question) {
    // The question's own line breaks stay; what a name brings into it is shown escaped.
    std::string shown;
    for (const char* line = question; line != nullptr;) {
        const char* end = std::strchr(line, '\n');
        shown += EscapeControls(end != nullptr ? std::string(line, end) : std::string(line));
        shown += end != nullptr ? "\n" : "";
        line = end != nullptr ? end + 1 : nullptr;
    }
    std::fprintf(stderr, "%s [y/N] ", shown.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

// Asks the run's question unless --yes was given. The exit status when the run is not to go
// on, or -1 when it is.
int AskFirst(const CShredOptions& options, const std::string& question) {
    if (options.bYes) {
        return -1;
    }
    if (!IsConsole(EConsoleStream::Input)) {
        std::fputs(
            "quorrel-shred: no terminal to ask on; nothing was changed (pass --yes "
            "to shred without asking)\n",
            stderr);
        return kExitUsage;
    }
    if (!Confirm(question.c_str())) {
        std::fputs("quorrel-shred: nothing was changed\n", stderr);
        return kExitFailed;
    }
    return -1;
}

// `question` with its line feeds kept and every other control character shown as \xNN: the
// names of folders in it must not move the cursor.
std::string EscapeQuestion(const std::string& question) {
    std::string shown;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = question.find('\n', nStart)) != std::string::npos;
         nStart = nEnd + 1) {
        shown += EscapeControls(question.substr(nStart, nEnd - nStart)) + '\n';
    }
    return shown + EscapeControls(question.substr(nStart));
}

// What every run from the terminal stands on: the host on the terminal with Ctrl-C as Cancel,
// and the engine with the chosen method.
struct CTerminalRun {
    explicit CTerminalRun(const CShredOptions& options)
        : host(EnableConsoleControls()), engine(SystemFileSystem(), host) {
        CTerminalHost::InstallInterruptHandler();
        engine.SetWipeMethod(ChooseMethod(options));
        engine.SetVerify(options.bVerify);
        if (options.nFilesInFlight > 0) {  // the user's choice holds from the first file
            engine.SetFilesInFlight(options.nFilesInFlight);
        } else {
            engine.SetFilesInFlight(CWipeEngine::kDefaultFilesInFlight, true);
        }
    }
    CTerminalHost host;
    CWipeEngine engine;
};

// Writes `text` to standard output. 0 when it got there; else says so on standard error and
// gives 1: a script must not take a lost text for a shown one.
int PrintText(const std::string& text) {
    std::string reason;
    if (WriteConsoleText(EConsoleStream::Output, text, &reason)) {
        return kExitDone;
    }
    std::fprintf(stderr, "quorrel-shred: standard output could not be written: %s\n",
                 reason.c_str());
    return kExitFailed;
}

// The exit status of a run once it is over: `nStatus`, unless its log could not be written to
// standard output. The shredding went on regardless; the log is what was lost, and is said so.
int Finished(const CTerminalRun& run, int nStatus) {
    const std::string& reason = run.host.OutputError();
    if (reason.empty()) {
        return nStatus;
    }
    std::fprintf(stderr, "quorrel-shred: the log could not be written to standard output: %s\n",
                 reason.c_str());
    return kExitFailed;
}

// --free-space: the question names the file system and its free space, so it is looked at
// first; one that cannot be wiped is reported without asking.
int RunFreeSpace(const CShredOptions& options) {
    CFreeSpaceFacts facts;
    std::string line;
    if (!DescribeFreeSpace(SystemFileSystem(), options.strFreeSpace, facts, line)) {
        PrintText(EscapeControls(line) + "\n");
        return kExitFailed;
    }
    const int nStatus = AskFirst(options, FreeSpaceQuestion(facts));
    if (nStatus >= 0) {
        return nStatus;
    }
    CTerminalRun run(options);
    return Finished(run,
                    Outcome(RunWipeFreeSpace(run.engine, options.strFreeSpace, facts), run.engine));
}

// --recycle-bin: the question names each bin and what it holds, as the window's does.
int RunRecycleBin(const CShredOptions& options) {
    if (!options.bYes) {
        std::vector<CBinContents> found;
        DescribeRecycleBins(SystemFileSystem(), SystemRecycleBins(), found);
        const int nStatus = AskFirst(options, EscapeQuestion(RecycleBinQuestion(found)));
        if (nStatus >= 0) {
            return nStatus;
        }
    }
    CTerminalRun run(options);
    return Finished(run, Outcome(RunWipeRecycleBin(run.engine, SystemRecycleBins()), run.engine));
}

int Run(const std::vector<std::string>& args) {
    CShredOptions options;
    std::string error;
    if (!ParseShredArguments(args, options, error)) {
        std::fprintf(stderr, "quorrel-shred: %s\nTry 'quorrel-shred --help'.\n",
                     EscapeControls(error).c_str());
        return kExitUsage;
    }
    if (options.bHelp) {
        return PrintText(ShredUsage());
    }
    if (options.bVersion) {
        return PrintText(ShredVersion(QUORREL_VERSION));
    }
    if (!options.strFreeSpace.empty()) {
        return RunFreeSpace(options);
    }
    if (options.bRecycleBin) {
        return RunRecycleBin(options);
    }
    const bool bFolderRun = !options.strFolder.empty();
    const char* question = bFolderRun ? kWipeFolderQuestion : kWipeListQuestion;
    const int nStatus = AskFirst(options, question);
    if (nStatus >= 0) {
        return nStatus;
    }
    CTerminalRun run(options);
    CWipeEngine& engine = run.engine;
    run.host.ExpectWork(bFolderRun ? EstimateWork(SystemFileSystem(), {options.strFolder}, true)
                                   : EstimateWork(SystemFileSystem(), options.paths));
    if (bFolderRun) {
        return Finished(run, Outcome(RunWipeFolder(engine, options.strFolder), engine));
    }
    CPathList list(options.paths);
    const bool bDone = RunWipeSelected(engine, list);
    return Finished(run, Outcome(bDone && list.GetItemCount() == 0, engine));
}

}  // namespace
}  // namespace quorrel

int main(int argc, char** argv) {
    return quorrel::Run(quorrel::ProgramArguments(argc, argv));
}

// quorrel-shred: the shredding engine from a terminal.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Runs.h"
#include "Settings.h"
#include "TerminalHost.h"
#include "WipeMethod.h"

namespace quorrel {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The list of a terminal run: the paths given, all selected.
class CArgumentList final : public IWipeList {
public:
    explicit CArgumentList(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            m_rows.push_back({path, true});
        }
    }
    int GetNextSelected(int nStart) override {
        for (int nRow = nStart + 1; nRow < GetItemCount(); ++nRow) {
            if (m_rows[static_cast<std::size_t>(nRow)].bSelected) {
                return nRow;
            }
        }
        return -1;
    }
    std::string GetItemPath(int nRow) override { return m_rows[static_cast<std::size_t>(nRow)].path; }
    void DeleteItem(int nRow) override { m_rows.erase(m_rows.begin() + nRow); }
    void SetSelected(int nRow, bool bSelected) override {
        m_rows[static_cast<std::size_t>(nRow)].bSelected = bSelected;
    }
    int GetItemCount() override { return static_cast<int>(m_rows.size()); }

private:
    struct CRow {
        std::string path;
        bool bSelected;
    };
    std::vector<CRow> m_rows;
};

// The method of --method, else the one stored by the window's Options, else 0.
int ChooseMethod(const CShredOptions& options) {
    if (options.bHasMethod) {
        return options.nMethod;
    }
    std::string raw;
    if (ReadIniValue(SettingsFilePath(), "1.0", "Using Alorithm", raw)) {
        return DecodeStoredWipeMethod(raw);
    }
    return 0;
}

// Asks the run's question on the terminal; only "y" or "yes" goes on.
bool Confirm(const char* question) {
    std::fprintf(stderr, "%s [y/N] ", question);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" ||
           answer == "YES";
}

int Run(const std::vector<std::string>& args) {
    CShredOptions options;
    std::string error;
    if (!ParseShredArguments(args, options, error)) {
        std::fprintf(stderr, "quorrel-shred: %s\nTry 'quorrel-shred --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (options.bHelp) {
        std::fputs(ShredUsage().c_str(), stdout);
        return kExitDone;
    }
    const bool bFolderRun = !options.strFolder.empty();
    const char* question = bFolderRun ? kWipeFolderQuestion : kWipeListQuestion;
    if (!options.bYes) {
        if (isatty(STDIN_FILENO) == 0) {
            std::fputs("quorrel-shred: no terminal to ask on; nothing was changed (pass --yes "
                       "to shred without asking)\n", stderr);
            return kExitUsage;
        }
        if (!Confirm(question)) {
            std::fputs("quorrel-shred: nothing was changed\n", stderr);
            return kExitFailed;
        }
    }
    CTerminalHost host(isatty(STDERR_FILENO) != 0);
    CTerminalHost::InstallInterruptHandler();
    CWipeEngine engine(SystemFileSystem(), host);
    engine.SetWipeMethod(ChooseMethod(options));
    if (bFolderRun) {
        const bool bDone = RunWipeFolder(engine, options.strFolder);
        return bDone && engine.FailureCount() == 0 ? kExitDone : kExitFailed;
    }
    CArgumentList list(options.paths);
    RunWipeSelected(engine, list);
    return list.GetItemCount() == 0 && engine.FailureCount() == 0 ? kExitDone : kExitFailed;
}

}  // namespace
}  // namespace quorrel

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorrel::Run(args);
}

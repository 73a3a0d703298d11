// What a shredding run needs from whoever drives it: the action log, the progress display,
// the abort check and the run protocol around the work.
#pragma once

#include <cstdint>
#include <string>

namespace quorrel {

class IRunHost {
public:
    virtual ~IRunHost() = default;

    // Appends one line to the action log, exactly as given.
    virtual void AddLine(const std::string& line) = 0;
    // Lets pending window events through and reports whether the user asked to stop.
    virtual bool IsAborted() = 0;

    // Progress of the current pass, in bytes: range 0..nUpper, position, and steps.
    virtual void SetProgressRange(std::int64_t nUpper) { (void)nUpper; }
    virtual void SetProgressPos(std::int64_t nPos) { (void)nPos; }
    virtual void StepProgress(std::int64_t nBytes) { (void)nBytes; }
    // A pass of `path` begins (nPass from 0 of nPasses): for displays that name it.
    virtual void OnPassStart(const std::string& path, int nPass, int nPasses) {
        (void)path, (void)nPass, (void)nPasses;
    }

    // Lets pending window events through during work that is not to be cut short (the
    // truncation of a large file), so the window keeps painting.
    virtual void KeepAlive() {}

    // Run protocol: before the work, disable the window, clear the abort flag and show the
    // Abort dialog; after it, destroy the dialog, enable the window and bring it to the front.
    virtual void BeginRun() {}
    virtual void EndRun() {}
};

}  // namespace quorrel

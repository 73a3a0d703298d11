// The action log as the engine writes it, and what its lines came to.
#pragma once

#include <string>

#include "engine/log/RunHost.h"

namespace quorrel {

// What became of an entry, or of a whole run.
enum class EWipeOutcome {
    Destroyed,          // overwritten where it lay and removed (recycle-bin mode: overwritten)
    RemovedNotInPlace,  // removed, but old copies of its contents may remain on the disk
    Failed,             // not destroyed; a "* " line says why
    Aborted,            // the user stopped it
    NotBegun,           // the user stopped the run before it was begun: nothing was done to it
};

// True when the entry is gone from where it was (recycle-bin mode: overwritten).
inline bool IsRemoved(EWipeOutcome outcome) {
    return outcome == EWipeOutcome::Destroyed || outcome == EWipeOutcome::RemovedNotInPlace;
}

// Writes lines to a host's log and counts the failures and warnings among them.
class CRunLog {
public:
    explicit CRunLog(IRunHost& host) : m_host(host) {}

    IRunHost& Host() { return m_host; }
    // Appends a plain line.
    void Add(const std::string& line) { m_host.AddLine(line); }
    // Appends a failure line ("* ...") and counts it.
    void Fail(const std::string& line) {
        ++m_nFailures;
        m_host.AddLine(line);
    }
    // Appends a warning line (data may remain on the disk) and counts it.
    void Warn(const std::string& line) {
        ++m_nWarnings;
        m_host.AddLine(line);
    }
    // Notes that the user stopped the run.
    void NoteAborted() { m_bAborted = true; }
    bool WasAborted() const { return m_bAborted; }
    int FailureCount() const { return m_nFailures; }
    int WarningCount() const { return m_nWarnings; }
    // Takes over the counts of a log whose lines were written for this one elsewhere.
    void Absorb(const CRunLog& other) {
        m_nFailures += other.m_nFailures;
        m_nWarnings += other.m_nWarnings;
        m_bAborted = m_bAborted || other.m_bAborted;
    }
    // Aborted when the user stopped anything; else failed when any line reported a failure;
    // else removed-not-in-place when any warning was given; else destroyed.
    EWipeOutcome Outcome() const {
        if (m_bAborted) {
            return EWipeOutcome::Aborted;
        }
        if (m_nFailures > 0) {
            return EWipeOutcome::Failed;
        }
        return m_nWarnings > 0 ? EWipeOutcome::RemovedNotInPlace : EWipeOutcome::Destroyed;
    }

private:
    IRunHost& m_host;
    int m_nFailures = 0;
    int m_nWarnings = 0;
    bool m_bAborted = false;
};

}  // namespace quorrel

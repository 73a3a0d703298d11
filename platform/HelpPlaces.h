// The places and keys the help of quorrel-shred names, in this system's own words: where the
// setting is kept, what the trash is, how a run is stopped, what a walk never enters, what the
// free-space run reaches, what clears a flash drive, and what keeps old copies.
#pragma once

namespace quorrel {

// Whole lines of the help, each wrapped to its columns and ending in a line feed.
struct CHelpPlaces {
    const char* m_pszTrash;         // the --recycle-bin option and what it visits
    const char* m_pszSetting;       // where the window's Options keep the method
    const char* m_pszInterrupt;     // what stops a run, and what becomes of the file in progress
    const char* m_pszNeverTouched;  // what a run never touches
    const char* m_pszFreeSpace;     // the --free-space option: what it fills, clears and cannot
    const char* m_pszFlash;         // flash drives: what no overwrite reaches, what clears them
    // The end of the sentence "old copies of its contents may remain: ": why they may.
    const char* m_pszMayRemain;
};

// This system's places.
const CHelpPlaces& SystemHelpPlaces();

}  // namespace quorrel

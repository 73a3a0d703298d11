// The places and keys the help of quorrel-shred names, in this system's own words: where the
// setting is kept, what the trash is, how a run is stopped, what a walk never enters.
#pragma once

namespace quorrel {

struct CHelpPlaces {
    const char* m_pszSetting;      // where the window's Options keep the method
    const char* m_pszTrash;        // the --recycle-bin paragraph after "then empty it: "
    const char* m_pszInterrupt;    // what stops a run, before " aborts: "
    const char* m_pszNeverIn;      // the places a walk never writes, ending in ", and"
    const char* m_pszCopyOnWrite;  // the file systems that write new data to new places
};

// This system's places, each text already wrapped to the help's columns.
const CHelpPlaces& SystemHelpPlaces();

}  // namespace quorrel

// The places of Windows that the help names: the registry key, the Recycle Bin folders, the
// console's keys, volumes mounted in folders.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "value \"Using Alorithm\" of the registry key\n"
        "                 HKEY_CURRENT_USER\\SOFTWARE\\Tellmoor\\Quorrel\\1.0",
        "your own folder\n"
        "                 of the Recycle Bin on every fixed drive (\\$Recycle.Bin\\<your SID>,\n"
        "                 on older drives \\Recycler\\<your SID> or \\RECYCLED). Every entry\n"
        "                 in it is overwritten in place, then the Recycle Bin is emptied.",
        "Ctrl-C, Ctrl-Break or closing the console window",
        "other volumes mounted\n"
        "in a folder met inside a folder (a walk stays on one), and",
        "ReFS"};
    return places;
}

}  // namespace quorrel

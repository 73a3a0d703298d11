// The places of Windows that the help names: the registry key, the Recycle Bin folders, the
// console's keys, volumes mounted in folders.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "  --recycle-bin  shred what is in your Recycle Bin, then empty it: your own\n"
        "                 folder of it on every fixed drive (X:\\$Recycle.Bin\\<your SID>,\n"
        "                 on older drives X:\\Recycler\\<your SID> or X:\\RECYCLED). Every\n"
        "                 entry in it is overwritten in place, then the Recycle Bin is\n"
        "                 emptied. The question names each bin with its entries and size.\n",
        "                 Without --method the method chosen in Quorrel's Options is used\n"
        "                 (value \"Using Alorithm\" of the registry key\n"
        "                 HKEY_CURRENT_USER\\SOFTWARE\\Tellmoor\\Quorrel\\1.0), else 0.\n",
        "Ctrl-C, Ctrl-Break or closing the console window aborts: the file in progress\n"
        "keeps its length, partly overwritten, and is reported, so that a later run\n"
        "reaches it all.\n",
        "What is never touched: the root folder of a drive, \".\" and \"..\", what a link or\n"
        "junction points to, a file with other names (hard links: its data is theirs too),\n"
        "other volumes mounted in a folder met inside a folder (a walk stays on one), and\n"
        "a file another program has open.\n"};
    return places;
}

}  // namespace quorrel

// The places of Windows that the help names: the registry key, the Recycle Bin folders, the
// console's keys, volumes mounted in folders, NTFS's journal, shadow copies, BitLocker.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "  --recycle-bin  shred what is in your Recycle Bin, then empty it: your own\n"
        "                 folder of it on every fixed drive (X:\\$Recycle.Bin\\<your SID>)\n",
        "                 (without --method: the Options' choice, value \"Using Alorithm\" of\n"
        "                 HKEY_CURRENT_USER\\SOFTWARE\\Tellmoor\\Quorrel\\1.0, else 0)\n",
        "Ctrl-C, Ctrl-Break\n"
        "or closing the console aborts: the file in progress keeps its length, partly\n"
        "overwritten, so that a later run reaches it.\n",
        "Never touched: the root folder of a drive, what a link or junction points to, a\n"
        "file with other names, volumes mounted in a folder met inside a folder, and a\n"
        "file another program has open.\n",
        "  --free-space DIR\n"
        "                 wipe the free space of the drive that holds DIR: fill it with the\n"
        "                 method's passes in a folder .quorrel-free-space, clear old names\n"
        "                 from entry space (not the NTFS journal, $LogFile: exit 3 there),\n"
        "                 and remove it all again. Shadow copies and ReFS are not reached.\n",
        "Flash (SSDs, sticks, cards) keeps old copies in cells no overwrite reaches.\n"
        "Encrypt the whole disk (BitLocker, or another full-disk encryption) before\n"
        "anything secret is on it; to clear a whole drive, use its own sanitize or\n"
        "secure-erase command, through the drive maker's tool or the firmware settings.\n",
        "may remain (it lies on ReFS, which shares blocks between files, or it changed\n"
        "while it was shredded).\n"};
    return places;
}

}  // namespace quorrel

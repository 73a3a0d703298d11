// The places of this system that the help names: XDG folders, the freedesktop.org trash,
// signals, kernel file systems, ext4 and xfs journals, the block layer's erase commands.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "  --recycle-bin  shred what is in your trash, then empty it: the home trash, then\n"
        "                 .Trash/$UID and .Trash-$UID at the top of each local file system\n",
        "                 (without --method: the Options' choice, setting \"Using Alorithm\"\n"
        "                 in ~/.config/Tellmoor/Quorrel.conf, else 0)\n",
        "Ctrl-C or SIGTERM aborts: the file in\n"
        "progress keeps its length, partly overwritten, so that a later run reaches it.\n",
        "Never touched: the root folder, what a link points to, a file with other names,\n"
        "other file systems and bind mounts inside a folder, kernel file systems (proc,\n"
        "sysfs), and a file another program holds a lock on.\n",
        "  --free-space DIR\n"
        "                 wipe the free space of the file system that holds DIR: fill it\n"
        "                 with the method's passes in a hidden folder .quorrel-free-space,\n"
        "                 clear old names (entry space, the ext4 journal or xfs log), remove\n"
        "                 it all again, and as root tell the drive what is free (TRIM).\n",
        "Flash (SSDs, sticks, cards) keeps old copies in cells no overwrite reaches; a run\n"
        "says so once per flash volume (exit 3; a \"- \" line only under dm-crypt).\n"
        "Encrypt the whole disk before anything secret is on it; to clear a drive, use\n"
        "its own sanitize command: nvme sanitize (nvme-cli), hdparm --security-erase, or\n"
        "blkdiscard --secure. quorrel-shred never runs them.\n",
        "may remain (a copy-on-write file system, shared data, an overlay's lower layer,\n"
        "data in the journal, or a file that changed while it was shredded).\n"};
    return places;
}

}  // namespace quorrel

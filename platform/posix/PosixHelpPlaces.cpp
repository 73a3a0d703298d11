// The places of this system that the help names: XDG folders, the freedesktop.org trash,
// signals, kernel file systems.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "  --recycle-bin  shred what is in your trash, then empty it: the home trash\n"
        "                 ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) first, then\n"
        "                 .Trash/$UID and .Trash-$UID at the top of every mounted local,\n"
        "                 writable file system. Every entry of a trash's files/ folder is\n"
        "                 overwritten in place, then files/, info/ and directorysizes are\n"
        "                 emptied. The question names each trash with its entries and size.\n",
        "                 Without --method the method chosen in Quorrel's Options is used\n"
        "                 (setting \"Using Alorithm\" in ~/.config/Tellmoor/Quorrel.conf),\n"
        "                 else 0.\n",
        "Ctrl-C, closing the terminal or SIGTERM aborts: the file in progress keeps its\n"
        "length, partly overwritten, and is reported, so that a later run reaches it all.\n",
        "What is never touched: the root folder, \".\" and \"..\", what a link points to, a\n"
        "file with other names (hard links: its data is theirs too), other file systems and\n"
        "bind mounts met inside a folder (a walk stays on one), kernel file systems (proc,\n"
        "sysfs, ...), and a file another program holds a lock on.\n"};
    return places;
}

}  // namespace quorrel

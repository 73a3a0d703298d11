// The places of this system that the help names: XDG folders, the freedesktop.org trash,
// signals, kernel file systems.
#include "platform/HelpPlaces.h"

namespace quorrel {

const CHelpPlaces& SystemHelpPlaces() {
    static const CHelpPlaces places{
        "setting \"Using Alorithm\" in ~/.config/Tellmoor/Quorrel.conf",
        "the home trash\n"
        "                 ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) first, then\n"
        "                 .Trash/$UID and .Trash-$UID at the top of every mounted local,\n"
        "                 writable file system. Every entry of a trash's files/ folder is\n"
        "                 overwritten in place, then files/, info/ and directorysizes are\n"
        "                 emptied.",
        "Ctrl-C, closing the terminal or SIGTERM",
        "other file systems and\n"
        "bind mounts met inside a folder (a walk stays on one), kernel file systems (proc,\n"
        "sysfs, ...), and",
        "btrfs, bcachefs, ZFS, f2fs, nilfs2"};
    return places;
}

}  // namespace quorrel

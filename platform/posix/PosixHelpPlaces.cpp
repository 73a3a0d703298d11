// The places of this system that the help names: XDG folders, the freedesktop.org trash,
// signals, kernel file systems, ext4 and xfs journals, the block layer's erase commands.
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
        "sysfs, ...), and a file another program holds a lock on.\n",
        "  --free-space DIR\n"
        "                 wipe the free space of the file system that holds DIR, where\n"
        "                 what was deleted the ordinary way (rm, an emptied trash) still\n"
        "                 lies: a hidden folder .quorrel-free-space is made at the top of\n"
        "                 that file system (or in DIR when the top may not be written),\n"
        "                 filled with files written with the method's passes until the\n"
        "                 disk is full, then with small files, and removed again. The disk\n"
        "                 is full for a while: other programs may fail to write meanwhile.\n"
        "                 As root the administrator's reserve is filled too; as a user it\n"
        "                 is not, and a \"* \" line says how much was not reached. Then it\n"
        "                 clears old names: it refills the unused entry space of DIR and\n"
        "                 of the top folder (and on xfs every free file record) with\n"
        "                 files of its own, and writes the whole ext4 journal or xfs log\n"
        "                 over; a journal it cannot write over (on another device, size\n"
        "                 unreadable: as a user on ext4) gets a \"* \" line and exit 3.\n"
        "                 So it clears what earlier runs and ordinary deletions left.\n"
        "                 Every plain run prevents what only a raw write could clear\n"
        "                 later, and on ext4, FAT and NTFS leaves no name outside the\n"
        "                 journal: an emptied ext4 folder is written out before it is\n"
        "                 removed; on FAT and NTFS each folder a run deletes from is\n"
        "                 refilled with as many files of its own as it lost, once its\n"
        "                 last entry is gone, and they are removed again (xfs needs the\n"
        "                 free-space run). It cannot reach snapshots,\n"
        "                 copy-on-write file systems, or blocks an SSD has remapped.\n"
        "                 Not with --verify: the fill is thrown away, so reading it back\n"
        "                 would prove nothing and keep the disk full twice as long.\n",
        "SSDs, USB sticks and memory cards: overwriting a file in place does not reach\n"
        "every old copy on flash. The drive writes new data to fresh cells and keeps old\n"
        "ones in blocks it has set aside, where no program can read or overwrite them;\n"
        "the run cannot tell, so no line says so. Encrypt the whole disk before anything\n"
        "secret is written to it; to clear a whole drive, use its own sanitize or\n"
        "secure-erase command (for example blkdiscard -s, nvme sanitize, or hdparm's\n"
        "security erase).\n",
        "may remain: it lies on a copy-on-write file system (btrfs, bcachefs, ZFS, f2fs,\n"
        "nilfs2), shares its data with another file, changed while it was shredded, lies\n"
        "on an overlay whose lower layer keeps its first copy (such a file is removed\n"
        "without being copied up), or has its data in the journal too (ext4 data=journal,\n"
        "inline data).\n"};
    return places;
}

}  // namespace quorrel

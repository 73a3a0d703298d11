// The places of Windows that the help names: the registry key, the Recycle Bin folders, the
// console's keys, volumes mounted in folders, NTFS's journal, shadow copies, BitLocker.
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
        "a file another program has open.\n",
        "  --free-space DIR\n"
        "                 wipe the free space of the drive that holds DIR, where what was\n"
        "                 deleted the ordinary way (Shift+Delete, an emptied Recycle Bin)\n"
        "                 still lies: a folder .quorrel-free-space is made in the drive's\n"
        "                 root folder (or in DIR when the root may not be written), filled\n"
        "                 with files written with the method's passes until the drive is\n"
        "                 full, then with small files, and removed again. The drive is\n"
        "                 full for a while: other programs may fail to write meanwhile.\n"
        "                 Where a disk quota stops you before the drive is full, a \"* \"\n"
        "                 line says how much was not reached. Then it clears old names: it\n"
        "                 refills the unused entry space of DIR and of the root folder with\n"
        "                 files of its own. The NTFS journal ($LogFile) is not written\n"
        "                 over: its size is not read here, so on NTFS a \"* \" line says so\n"
        "                 and the exit status is 3 (FAT and exFAT keep no journal).\n"
        "                 So it clears what earlier runs and ordinary deletions left.\n"
        "                 Every plain run prevents what only a raw write could clear\n"
        "                 later: on FAT and NTFS each folder a run deletes from is\n"
        "                 refilled with as many files of its own as it lost, once its\n"
        "                 last entry is gone, and they are removed again. It cannot reach\n"
        "                 shadow copies (System Restore, File History, backups), ReFS\n"
        "                 drives, or blocks an SSD has remapped.\n"
        "                 Not with --verify: the fill is thrown away, so reading it back\n"
        "                 would prove nothing and keep the drive full twice as long.\n",
        "SSDs, USB sticks and memory cards: overwriting a file in place does not reach\n"
        "every old copy on flash. The drive writes new data to fresh cells and keeps old\n"
        "ones in blocks it has set aside, where no program can read or overwrite them;\n"
        "the run cannot tell, so no line says so. Encrypt the whole disk (BitLocker, or\n"
        "another full-disk encryption) before anything secret is written to it; to clear\n"
        "a whole drive, use its own sanitize or secure-erase command, through the drive\n"
        "maker's tool or the computer's firmware settings.\n",
        "may remain: it lies on ReFS, which writes new data to new places and shares\n"
        "blocks between files, or it changed while it was shredded.\n"};
    return places;
}

}  // namespace quorrel

// The freedesktop.org trash: the Linux meaning of the user's recycle bins. The home trash comes
// first, then the trash folders at the top of each mounted local file system. What the
// locator looks at (home, uid, mount table) is handed in, so tests build trash folders in
// temporary homes and mounts and never reach the real user's.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RecycleBins.h"

namespace quorrel {

// One line of the mount table.
struct CMountEntry {
    std::string m_strSource;
    std::string m_strMountPoint;
    std::string m_strType;
    std::string m_strOptions;  // comma-separated, "ro" or "rw" among them
};

// What the trash locator needs to know of the user and the machine.
struct CTrashFacts {
    std::string m_strHome;         // $HOME (empty when unknown)
    std::string m_strXdgDataHome;  // $XDG_DATA_HOME (empty when unset)
    unsigned long m_nUid = 0;
    std::vector<CMountEntry> m_mounts;
};

// Reads a mount table in the form of /proc/self/mounts, octal escapes ("\040") decoded.
std::vector<CMountEntry> ParseMountTable(const std::string& text);

// True when a trash may live on the mount: a local file system on a device, mounted writable.
// Pseudo file systems (proc, tmpfs, overlay...) and network ones (nfs, cifs, sshfs...) are not.
bool IsTrashableMount(const CMountEntry& mount);

// The facts of this process: $HOME (else the password database), $XDG_DATA_HOME, the real uid
// and /proc/self/mounts. The tests of the real program set QUORREL_TEST_MOUNT_PREFIX to keep
// it to the mounts at or below that folder.
CTrashFacts SystemTrashFacts();

// A trash folder as a scan found it, held by its handle from then on (FreedesktopTrash.cpp).
struct CTrashRoot;

// The trash folders behind the recycle-bin interface. Each scan asks `facts` afresh and opens
// every trash folder it finds, checked (a real folder, the user's own, `.Trash` sticky): from
// then on the run reaches `files/`, `info/` and `directorysizes` only through that handle, and
// a trash folder whose name no longer leads to it (or that appeared since the scan) is refused.
// A scan finds, in the order they are shredded: the home trash ($XDG_DATA_HOME/Trash when that
// is absolute, else $HOME/.local/share/Trash), then for each trashable mount in mount-point
// order `$topdir/.Trash/$uid` (only when `.Trash` is a real sticky folder, not a link) and
// `$topdir/.Trash-$uid`. A mount trash that is a link, no folder, or someone else's is left
// out: shredding through it could reach another user's files.
class CTrashBins final : public IRecycleBins {
public:
    explicit CTrashBins(std::function<CTrashFacts()> facts, IFileSystem& fs = SystemFileSystem());
    ~CTrashBins() override;

    EBinAccess Open() override { return EBinAccess::Ready; }
    void Close() override {}
    bool Scan(std::vector<CBinLocation>& bins) override;
    bool BinFolder(const CBinLocation& bin, std::string& folder) override;
    // The trash's own file system is used, not `fs`: the trash was opened through it.
    std::unique_ptr<IFolder> OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                           const std::string& folder, EBinOpen& state) override;
    // A trash's files/ holds only the user's entries: a file named "desktop.ini" there is
    // theirs, and is shredded like any other.
    bool IsBookkeeping(const std::string& name) const override;
    bool Empty(const CBinLocation& bin) override;

private:
    CTrashRoot* Find(const CBinLocation& bin) const;

    std::function<CTrashFacts()> m_facts;
    IFileSystem& m_fs;
    std::vector<std::unique_ptr<CTrashRoot>> m_roots;  // what the last scan found
};

}  // namespace quorrel

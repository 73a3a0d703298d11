// The freedesktop.org trash: reading the mount table, which mounts may hold a trash, where the
// trash folders are and in which order, and emptying one without leaving it through a link.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/FreedesktopTrash.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/TrashSupport.h"

namespace quorrel::test {

namespace {

CMountEntry Mount(const char* source, const char* point, const char* type, const char* options) {
    return CMountEntry{source, point, type, options};
}

// The trash folders a scan finds, in the order a run shreds them.
std::vector<std::string> ScannedRoots(const CTrashFacts& facts) {
    CTrashBins bins([&facts] { return facts; });
    std::vector<CBinLocation> found;
    bins.Scan(found);
    std::vector<std::string> roots;
    for (const CBinLocation& bin : found) {
        roots.push_back(bin.m_strRoot);
    }
    return roots;
}

// Empties the trash folder `dataHome`/Trash as a bin run does: found by a scan, emptied through
// the handle the scan opened. False when the scan found no such trash or the emptying failed.
bool EmptyAsARunDoes(const std::string& dataHome) {
    CTrashFacts facts;
    facts.m_strXdgDataHome = dataHome;
    facts.m_nUid = ::getuid();
    CTrashBins bins([&facts] { return facts; });
    std::vector<CBinLocation> found;
    return bins.Scan(found) && found.size() == 1 && bins.Empty(found[0]);
}

}  // namespace

TEST(PlatformTrash, MountTableIsReadWithEscapedNames) {
    const std::vector<CMountEntry> mounts = ParseMountTable(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw,nosuid 0 0\n"
        "/dev/sdb1 /media/My\\040Disk\\011x vfat ro,noatime 0 0\n"
        "broken line\n");
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].m_strMountPoint, "/");
    EXPECT_EQ(mounts[1].m_strType, "proc");
    EXPECT_EQ(mounts[2].m_strMountPoint, "/media/My Disk\tx");
    EXPECT_EQ(mounts[2].m_strOptions, "ro,noatime");
}

TEST(PlatformTrash, OnlyLocalWritableFileSystemsHoldATrash) {
    EXPECT_TRUE(IsTrashableMount(Mount("/dev/sda1", "/", "ext4", "rw,relatime")));
    EXPECT_TRUE(IsTrashableMount(Mount("/dev/loop3", "/mnt", "xfs", "rw")));
    EXPECT_TRUE(IsTrashableMount(Mount("/dev/sdc1", "/media/u", "fuseblk", "rw,user_id=0")));
    EXPECT_TRUE(IsTrashableMount(Mount("/dev/sdd1", "/media/v", "someday-fs", "rw")));
    EXPECT_TRUE(IsTrashableMount(Mount("pool/home", "/home", "zfs", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("/dev/sdb1", "/media/cd", "ext4", "ro,relatime")));
    EXPECT_FALSE(IsTrashableMount(Mount("/dev/sdb1", "/media/cd", "ext4", "rw,ro")));
    EXPECT_FALSE(IsTrashableMount(Mount("/dev/sr0", "/media/cd", "iso9660", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("proc", "/proc", "proc", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("tmpfs", "/tmp", "tmpfs", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("overlay", "/", "overlay", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("srv:/export", "/net", "nfs4", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("//srv/share", "/smb", "cifs", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("u@h:/", "/ssh", "fuse.sshfs", "rw")));
    EXPECT_FALSE(IsTrashableMount(Mount("none", "/x", "unknownfs", "rw")));
}

TEST(PlatformTrash, HomeTrashComesFirstThenMountsInMountPointOrder) {
    CTempDir dir;
    const unsigned long nUid = ::getuid();
    const std::string uid = std::to_string(nUid);
    for (const char* name : {"a", "b", "c", "ro"}) {
        MakeFolder(dir / name);
    }
    // a: a shared .Trash with the sticky bit; b: .Trash without it; c: .Trash as a link
    MakeFolder(dir / "a/.Trash");
    SetMode(dir / "a/.Trash", 01777);
    MakeFolder(dir / "b/.Trash");
    SetMode(dir / "b/.Trash", 0777);
    ASSERT_EQ(::symlink((dir / "a/.Trash").c_str(), (dir / "c/.Trash").c_str()), 0);
    CTrashFacts facts;
    facts.m_strHome = dir / "home";
    facts.m_nUid = nUid;
    facts.m_mounts = {LocalMount(dir / "c"), LocalMount(dir / "a"), LocalMount(dir / "b"),
                      Mount("/dev/sr0", (dir / "ro").c_str(), "ext4", "ro"),
                      LocalMount(dir / "a")};  // listed twice: once only
    EXPECT_EQ(ScannedRoots(facts),
              (std::vector<std::string>{dir / "home/.local/share/Trash", dir / ("a/.Trash/" + uid),
                                        dir / ("a/.Trash-" + uid), dir / ("b/.Trash-" + uid),
                                        dir / ("c/.Trash-" + uid)}));

    facts.m_strXdgDataHome = dir / "data";
    facts.m_mounts.clear();
    EXPECT_EQ(ScannedRoots(facts), std::vector<std::string>{dir / "data/Trash"});
    facts.m_strXdgDataHome = "relative/data";  // not absolute: ignored
    EXPECT_EQ(ScannedRoots(facts), std::vector<std::string>{dir / "home/.local/share/Trash"});
    facts.m_strXdgDataHome.clear();
    facts.m_strHome.clear();
    EXPECT_TRUE(ScannedRoots(facts).empty());
}

TEST(PlatformTrash, AMountTrashThatIsALinkOrNoFolderIsLeftOut) {
    CTempDir dir;
    const std::string uid = std::to_string(::getuid());
    MakeFolder(dir / "elsewhere");
    MakeFolder(dir / "vol");
    MakeFolder(dir / "vol2");
    ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / ("vol/.Trash-" + uid)).c_str()), 0);
    WriteFile(dir / ("vol2/.Trash-" + uid), "not a folder");
    CTrashFacts facts;
    facts.m_nUid = ::getuid();
    facts.m_mounts = {LocalMount(dir / "vol"), LocalMount(dir / "vol2")};
    EXPECT_TRUE(ScannedRoots(facts).empty());
}

TEST(PlatformTrash, EmptyingRemovesFilesInfoAndSizesButNothingALinkPointsAt) {
    CTempDir dir;
    const std::string trash = dir / "Trash";
    PutInTrash(trash, "plain", "p");
    MakeFolder(trash + "/files/tree");
    MakeFolder(trash + "/files/tree/locked");
    WriteFile(trash + "/files/tree/locked/inner", "i");
    SetMode(trash + "/files/tree/locked", 0500);  // trashed without its write bit
    MakeFolder(dir / "outside");
    WriteFile(dir / "outside/precious", "keep me");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (trash + "/files/link-to-folder").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "outside/precious").c_str(), (trash + "/files/link").c_str()), 0);
    WriteFile(trash + "/directorysizes", "1 2 tree\n");
    MakeFolder(trash + "/expunged");  // not ours to touch

    EXPECT_TRUE(EmptyAsARunDoes(dir.Path()));
    EXPECT_TRUE(ListNames(trash + "/files").empty());
    EXPECT_TRUE(ListNames(trash + "/info").empty());
    EXPECT_EQ(ListNames(trash), (std::vector<std::string>{"expunged", "files", "info"}));
    EXPECT_EQ(ReadFile(dir / "outside/precious"), "keep me");
    EXPECT_FALSE(EmptyAsARunDoes(dir / "no-such-data-home"));
}

TEST(PlatformTrash, AFilesFolderThatIsALinkIsNotFollowed) {
    CTempDir dir;
    const std::string trash = dir / "Trash";
    MakeFolder(trash);
    MakeFolder(dir / "outside");
    WriteFile(dir / "outside/precious", "keep me");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (trash + "/files").c_str()), 0);
    EXPECT_FALSE(EmptyAsARunDoes(dir.Path()));
    EXPECT_EQ(ReadFile(dir / "outside/precious"), "keep me");
}

TEST(PlatformTrash, TrashBinsScanAfreshAndNameTheFilesFolder) {
    CTempDir dir;
    CTrashFacts facts;
    facts.m_strHome = dir / "home";
    int nScans = 0;
    CTrashBins bins([&] {
        ++nScans;
        return facts;
    });
    EXPECT_EQ(bins.Open(), EBinAccess::Ready);
    std::vector<CBinLocation> found;
    ASSERT_TRUE(bins.Scan(found));
    ASSERT_EQ(found.size(), 1u);
    std::string folder;
    ASSERT_TRUE(bins.BinFolder(found[0], folder));
    EXPECT_EQ(folder, dir / "home/.local/share/Trash/files/");
    EXPECT_FALSE(bins.IsBookkeeping("desktop.ini"));  // a user's own file on Linux
    facts.m_strHome.clear();
    EXPECT_FALSE(bins.Scan(found));
    EXPECT_EQ(nScans, 2);
}

}  // namespace quorrel::test

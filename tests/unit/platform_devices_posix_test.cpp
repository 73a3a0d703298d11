// The walk from a mount down to its drives, over small copies of sysfs trees as the kernel lays
// them out: devices under /sys/devices, /sys/class/block and /sys/dev/block linking to them.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TestSupport.h"
#include "platform/posix/SysfsDevices.h"
#include "tests/unit/posix/SysfsTree.h"

namespace quorrel::test {
namespace {

const std::string kNvme = "pci0000:00/0000:00:1d.0/nvme/nvme0";
const std::string kUsb = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host3/target3:0:0/3:0:0:0";
const std::string kMmc = "platform/fe320000.mmc/mmc_host/mmc0/mmc0:aaaa";
const std::string kAta1 = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
const std::string kAta2 = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0";

// One machine's worth of devices: an NVMe drive with three partitions (one under dm-crypt), a
// USB stick, an SD card, two SATA disks in an md mirror (one spinning, one flash), a loop
// device over an image on the NVMe drive, and the mounts of each.
void BuildMachine(CSysTree& tree) {
    const std::map<std::string, std::string> flashQueue = {
        {"queue/rotational", "0"},
        {"queue/discard_max_bytes", "2199023255040"},
        {"removable", "0"}};
    tree.Put(kNvme, {{"model", "Samsung SSD 980 1TB"}, {"serial", "S64ANS0T123456"}});
    auto nvme = flashQueue;
    nvme["device"] = "->../../nvme0";
    tree.Block(kNvme + "/nvme0n1", "259:0", nvme);
    for (const char* part : {"2", "3"}) {
        tree.Block(kNvme + "/nvme0n1/nvme0n1p" + part, std::string("259:") + part,
                   {{"partition", part}});
    }
    tree.Put(kUsb, {{"model", "Cruzer Blade"}, {"vendor", "SanDisk"}});
    tree.Put("pci0000:00/0000:00:14.0/usb2/2-1", {{"idVendor", "0781"}, {"serial", "4C530001230"}});
    tree.Block(kUsb + "/block/sdb", "8:16",
               {{"queue/rotational", "0"},
                {"queue/discard_max_bytes", "0"},
                {"removable", "1"},
                {"device", "->../../../3:0:0:0"}});
    tree.Block(kUsb + "/block/sdb/sdb1", "8:17", {{"partition", "1"}});
    tree.Put(kMmc, {{"name", "SD32G"}, {"serial", "0x1234abcd"}, {"type", "SD"}});
    tree.Block(kMmc + "/block/mmcblk0", "179:0",
               {{"queue/rotational", "0"},
                {"queue/discard_max_bytes", "0"},
                {"removable", "0"},
                {"device", "->../../../mmc0:aaaa"}});
    tree.Block(kMmc + "/block/mmcblk0/mmcblk0p1", "179:1", {{"partition", "1"}});
    tree.Block("virtual/block/dm-0", "253:0",
               {{"dm/name", "luks-home"},
                {"dm/uuid", "CRYPT-LUKS2-0123abcd-luks-home"},
                {"queue/rotational", "0"},
                {"queue/discard_max_bytes", "0"},
                {"slaves/nvme0n1p3", "->../../../../" + kNvme + "/nvme0n1/nvme0n1p3"}});
    const std::string serialPage = std::string("\x00\x80\x00\x08", 4) + "WD-WCC4E";
    tree.Put(kAta1, {{"model", "WDC WD40EFRX-68N"}, {"vendor", "ATA"}, {"vpd_pg80", serialPage}});
    tree.Put(kAta2, {{"model", "CT500MX500SSD1"}, {"vendor", "ATA"}});
    tree.Block(kAta1 + "/block/sda", "8:0",
               {{"queue/rotational", "1"},
                {"queue/discard_max_bytes", "0"},
                {"removable", "0"},
                {"device", "->../../../0:0:0:0"}});
    tree.Block(kAta1 + "/block/sda/sda1", "8:1", {{"partition", "1"}});
    tree.Block(kAta2 + "/block/sdc", "8:32",
               {{"queue/rotational", "0"},
                {"queue/discard_max_bytes", "2147450880"},
                {"removable", "0"},
                {"device", "->../../../1:0:0:0"}});
    tree.Block(kAta2 + "/block/sdc/sdc1", "8:33", {{"partition", "1"}});
    tree.Block("virtual/block/md0", "9:0",
               {{"md/level", "raid1"},
                {"queue/rotational", "1"},
                {"queue/discard_max_bytes", "0"},
                {"slaves/sda1", "->../../../../" + kAta1 + "/block/sda/sda1"},
                {"slaves/sdc1", "->../../../../" + kAta2 + "/block/sdc/sdc1"}});
    tree.Block("virtual/block/loop0", "7:0",
               {{"loop/backing_file", "/data/images/disk.img"},
                {"queue/rotational", "1"},
                {"queue/discard_max_bytes", "4294966784"}});
}

const char kMountInfo[] =
    "22 1 259:2 / / rw,relatime - ext4 /dev/nvme0n1p2 rw\n"
    "30 22 259:2 /data /data rw,relatime - ext4 /dev/nvme0n1p2 rw\n"
    "31 22 8:17 / /media/stick rw - vfat /dev/sdb1 rw\n"
    "32 22 179:1 / /media/card rw - exfat /dev/mmcblk0p1 rw\n"
    "33 22 253:0 / /home rw - ext4 /dev/mapper/luks-home rw\n"
    "34 22 9:0 / /srv rw - xfs /dev/md0 rw\n"
    "35 22 7:0 / /mnt/image rw - ext4 /dev/loop0 rw\n"
    "36 22 0:25 / /tmp rw - tmpfs tmpfs rw\n";

struct CChainCase {
    const char* point;
    const char* chain;   // "kind name@depth ..." top first
    const char* drives;  // "name model serial transport medium removable discard; ..."
    const char* medium;
    const char* encrypted;
    const char* discard;
};

std::string ChainText(const CVolumeDevice& device) {
    std::string text;
    for (const CDeviceLayer& layer : device.m_chain) {
        text += std::string(text.empty() ? "" : " ") + LayerName(layer.m_eKind) + " " +
                layer.m_strName + "@" + std::to_string(layer.m_nDepth);
    }
    return text;
}

std::string Flag(const std::optional<bool>& value) {
    return value ? (*value ? "yes" : "no") : "?";
}

std::string DrivesText(const CVolumeDevice& device) {
    std::string text;
    for (const CDriveFacts& drive : device.m_drives) {
        text += std::string(text.empty() ? "" : "; ") + drive.m_strName + " " +
                drive.m_model.value_or("?") + " " + drive.m_serial.value_or("?") + " " +
                (drive.m_transport ? TransportName(*drive.m_transport) : "?") + " " +
                (drive.m_medium ? MediumName(*drive.m_medium) : "?") + " " +
                Flag(drive.m_bRemovable) + " " + Flag(drive.m_bDiscard);
    }
    return text;
}

TEST(SysfsDevices, FollowsEachChainDownToItsDrives) {
    CTempDir temp;
    CSysTree tree(temp / "sys");
    BuildMachine(tree);
    const posix::CSysfsDevices devices(tree.Root(), kMountInfo);
    const CChainCase cases[] = {
        {"/data", "partition nvme0n1p2@0 drive nvme0n1@1",
         "nvme0n1 Samsung SSD 980 1TB S64ANS0T123456 NVMe flash no yes", "flash", "no", "yes"},
        {"/media/stick", "partition sdb1@0 drive sdb@1",
         "sdb SanDisk Cruzer Blade 4C530001230 USB flash yes no", "flash", "no", "no"},
        {"/media/card", "partition mmcblk0p1@0 drive mmcblk0@1",
         "mmcblk0 SD32G 0x1234abcd MMC flash no no", "flash", "no", "no"},
        {"/home", "dm-crypt dm-0@0 partition nvme0n1p3@1 drive nvme0n1@2",
         "nvme0n1 Samsung SSD 980 1TB S64ANS0T123456 NVMe flash no yes", "flash", "yes", "no"},
        {"/srv", "md md0@0 partition sda1@1 drive sda@2 partition sdc1@1 drive sdc@2",
         "sda WDC WD40EFRX-68N WD-WCC4E SATA rotating no no; "
         "sdc CT500MX500SSD1 ? SATA flash no yes",
         "flash", "no", "no"},
        {"/mnt/image", "loop loop0@0 partition nvme0n1p2@1 drive nvme0n1@2",
         "nvme0n1 Samsung SSD 980 1TB S64ANS0T123456 NVMe flash no yes", "flash", "no", "yes"},
        {"/tmp", "", "", "?", "?", "?"},
    };
    for (const CChainCase& test : cases) {
        SCOPED_TRACE(test.point);
        CVolumeDevice device;
        ASSERT_TRUE(devices.DescribeMountPoint(test.point, device));
        EXPECT_EQ(test.chain, ChainText(device));
        EXPECT_EQ(test.drives, DrivesText(device));
        EXPECT_EQ(test.medium, std::string(device.m_medium ? MediumName(*device.m_medium) : "?"));
        EXPECT_EQ(test.encrypted, Flag(device.m_bEncrypted));
        EXPECT_EQ(test.discard, Flag(device.m_bDiscard));
    }
}

// What cannot be followed to its end leaves the facts unknown; nothing is guessed, and a cycle
// (a loop device over a file on itself) ends.
TEST(SysfsDevices, LeavesUnknownWhatItCannotFollow) {
    CTempDir temp;
    CSysTree tree(temp / "sys");
    tree.Block("virtual/block/loop1", "7:1",
               {{"loop/backing_file", "/mnt/self/disk.img"}, {"queue/rotational", "1"}});
    tree.Block("virtual/block/dm-1", "253:1", {{"dm/name", "gone"}, {"dm/uuid", "LVM-x"}});
    tree.Block("pci0000:00/0000:00:02.0/virtio1/block/vda", "254:0",
               {{"serial", "overlayblk0"}, {"removable", "0"}});
    const posix::CSysfsDevices devices(tree.Root(),
                                       "40 1 7:1 / /mnt/self rw - ext4 /dev/loop1 rw\n"
                                       "41 1 253:1 / /mnt/map rw - ext4 /dev/mapper/gone rw\n"
                                       "42 1 254:0 / /mnt/vd rw - ext4 /dev/vda rw\n");
    CVolumeDevice device;
    ASSERT_TRUE(devices.DescribeMountPoint("/mnt/self", device));
    EXPECT_EQ("loop loop1@0", ChainText(device));
    EXPECT_EQ(EMedium::Rotating, device.m_medium);  // the loop device's own word
    EXPECT_FALSE(device.m_bEncrypted.has_value());
    ASSERT_TRUE(devices.DescribeMountPoint("/mnt/map", device));
    EXPECT_EQ("device-mapper dm-1@0", ChainText(device));
    EXPECT_FALSE(device.m_medium.has_value());
    EXPECT_FALSE(device.m_bEncrypted.has_value());
    ASSERT_TRUE(devices.DescribeMountPoint("/mnt/vd", device));
    EXPECT_EQ("vda ? overlayblk0 virtio ? no ?", DrivesText(device));
    EXPECT_FALSE(device.m_medium.has_value());
    EXPECT_FALSE(devices.DescribeMount(99, device));
}

}  // namespace
}  // namespace quorrel::test

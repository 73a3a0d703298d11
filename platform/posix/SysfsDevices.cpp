// The walk from a mount down to its drives through sysfs.
#include "platform/posix/SysfsDevices.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/posix/PosixSupport.h"

namespace quorrel::posix {

namespace {

// Deeper than any real stack of devices: a longer chain is a cycle.
constexpr int kMaxDepth = 16;

// File systems that encrypt what they store, stacked on a folder of another file system.
const char* const kEncryptingTypes[] = {"ecryptfs", "fuse.gocryptfs", "fuse.encfs", "fuse.cryfs"};

std::string Trim(const std::string& text) {
    const std::size_t nStart = text.find_first_not_of(" \t\r\n");
    if (nStart == std::string::npos) {
        return std::string();
    }
    return text.substr(nStart, text.find_last_not_of(" \t\r\n") - nStart + 1);
}

// The first line of the attribute file `path`, trimmed; none when it is missing or empty.
std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line)) {
        return std::nullopt;
    }
    line = Trim(line);
    return line.empty() ? std::nullopt : std::optional<std::string>(line);
}

// "1" and "0" as a yes or no; anything else is not known.
std::optional<bool> ReadFlag(const std::string& path) {
    const std::optional<std::string> value = ReadAttribute(path);
    if (value && (*value == "0" || *value == "1")) {
        return *value == "1";
    }
    return std::nullopt;
}

// The value of `key` in a uevent file ("DEVNAME=sda1"); empty when it has none.
std::string ReadUevent(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) {
            return Trim(line.substr(key.size() + 1));
        }
    }
    return std::string();
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// The names in the folder `path` but "." and "..", sorted; none when it cannot be read.
std::vector<std::string> ListNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The transport of the drive `name`, by its name and by where sysfs places it (the path of its
// folder below the tree's "devices").
std::optional<ETransport> TransportOf(const std::string& name, const std::string& resolved) {
    const std::size_t nDevices = resolved.rfind("/devices/");
    const std::string placed = nDevices == std::string::npos ? "" : resolved.substr(nDevices);
    if (StartsWith(name, "nvme")) {
        return ETransport::Nvme;
    }
    if (StartsWith(name, "mmcblk")) {
        return ETransport::Mmc;
    }
    if (StartsWith(name, "vd")) {
        return ETransport::Virtio;
    }
    if (placed.find("/usb") != std::string::npos) {
        return ETransport::Usb;
    }
    if (placed.find("/ata") != std::string::npos) {
        return ETransport::Sata;
    }
    if (placed.find("/virtio") != std::string::npos) {
        return ETransport::Virtio;
    }
    if (StartsWith(name, "sd")) {
        return ETransport::Scsi;
    }
    return std::nullopt;
}

// A SCSI drive's unit serial number page (0x80): a four-byte header, then the serial.
std::optional<std::string> ReadVpdSerial(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (page.size() < 4 || static_cast<unsigned char>(page[1]) != 0x80) {
        return std::nullopt;
    }
    const std::size_t nLength = static_cast<unsigned char>(page[3]);
    const std::string serial = Trim(page.substr(4, nLength));
    return serial.empty() ? std::nullopt : std::optional<std::string>(serial);
}

// The serial number of the USB device a drive sits in: the nearest folder above the drive's
// own that describes a USB device.
std::optional<std::string> ReadUsbSerial(const std::string& placed, const std::string& root) {
    for (std::string folder = placed; folder.size() > root.size();
         folder = folder.substr(0, folder.rfind('/'))) {
        if (Exists(folder + "/idVendor")) {
            return ReadAttribute(folder + "/serial");
        }
    }
    return std::nullopt;
}

}  // namespace

CSysfsDevices::CSysfsDevices(std::string sysRoot, const std::string& mountInfo)
    : m_strRoot(std::move(sysRoot)) {
    std::istringstream table(mountInfo);
    std::string line;
    while (std::getline(table, line)) {
        const std::size_t dash = line.find(" - ");
        std::istringstream head(line.substr(0, dash));
        CMount mount;
        std::string parent;
        std::string numbers;
        std::string root;
        std::string point;
        char colon = 0;
        if (dash == std::string::npos ||
            !(head >> mount.nId >> parent >> numbers >> root >> point)) {
            continue;
        }
        std::istringstream pair(numbers);
        std::istringstream tail(line.substr(dash + 3));
        std::string source;
        if (!(pair >> mount.nMajor >> colon >> mount.nMinor) ||
            !(tail >> mount.strType >> source)) {
            continue;
        }
        mount.strPoint = DecodeMountField(point);
        mount.strSource = DecodeMountField(source);
        m_mounts.push_back(mount);
    }
}

bool CSysfsDevices::DescribeMount(std::uint64_t nMount, CVolumeDevice& device) const {
    for (const CMount& mount : m_mounts) {
        if (mount.nId == nMount) {
            Describe(mount, device);
            return true;
        }
    }
    return false;
}

bool CSysfsDevices::DescribeMountPoint(const std::string& point, CVolumeDevice& device) const {
    for (const CMount& mount : m_mounts) {
        if (mount.strPoint == point) {
            Describe(mount, device);
            return true;
        }
    }
    return false;
}

// The chain of `mount`, then what it comes to: the medium (flash when any drive or loop device
// says so), whether discards reach the device, whether anything encrypts.
void CSysfsDevices::Describe(const CMount& mount, CVolumeDevice& device) const {
    device = CVolumeDevice();
    device.m_strMountPoint = mount.strPoint;
    device.m_strFileSystem = mount.strType;
    device.m_strSource = mount.strSource;
    const bool bEncrypting = std::find(std::begin(kEncryptingTypes), std::end(kEncryptingTypes),
                                       mount.strType) != std::end(kEncryptingTypes);
    CWalk walk;
    const std::string name = DeviceNameOf(mount);
    if (!name.empty()) {
        WalkDevice(name, 0, device, walk);
        device.m_bDiscard = QueueDiscard(name);
    } else if (bEncrypting && StartsWith(mount.strSource, "/")) {
        WalkLoop(mount.strSource, 0, device, walk);  // the folder it stores its files in
    } else {
        walk.bComplete = false;
    }
    std::vector<std::optional<EMedium>> votes = walk.loopMedia;
    for (const CDriveFacts& drive : device.m_drives) {
        votes.push_back(drive.m_medium);
    }
    const auto Says = [&](EMedium medium) {
        return std::count(votes.begin(), votes.end(), std::optional<EMedium>(medium));
    };
    const auto nVotes = static_cast<std::ptrdiff_t>(votes.size());
    if (Says(EMedium::Flash) > 0) {
        device.m_medium = EMedium::Flash;
    } else if (nVotes > 0 && Says(EMedium::Memory) == nVotes) {
        device.m_medium = EMedium::Memory;
    } else if (nVotes > 0 && Says(EMedium::Memory) + Says(EMedium::Rotating) == nVotes) {
        device.m_medium = EMedium::Rotating;
    }
    for (const CDeviceLayer& layer : device.m_chain) {
        if (layer.m_eKind == ELayer::Crypt) {
            device.m_bEncrypted = true;
            device.m_strEncryption = "dm-crypt";
        }
    }
    if (bEncrypting) {
        device.m_bEncrypted = true;
        device.m_strEncryption = mount.strType;
    } else if (!device.m_bEncrypted && walk.bComplete && !device.m_chain.empty()) {
        device.m_bEncrypted = false;
    }
}

// The name of the block device `mount` is on: by its device number, or, where that is none of
// a block device's (btrfs gives its own), by the device the table names.
std::string CSysfsDevices::DeviceNameOf(const CMount& mount) const {
    const std::string numbers = std::to_string(mount.nMajor) + ":" + std::to_string(mount.nMinor);
    std::string name = ReadUevent(m_strRoot + "/dev/block/" + numbers + "/uevent", "DEVNAME");
    if (!name.empty() || !StartsWith(mount.strSource, "/dev/")) {
        return name;
    }
    const std::string named = mount.strSource.substr(5);
    if (StartsWith(named, "mapper/")) {
        for (const std::string& dm : ListNames(m_strRoot + "/class/block")) {
            if (ReadAttribute(BlockPath(dm) + "/dm/name") == named.substr(7)) {
                return dm;
            }
        }
        return std::string();
    }
    return named.find('/') == std::string::npos && Exists(BlockPath(named)) ? named : std::string();
}

// The mount that holds the file `path`: the one whose mount point is the longest leading part
// of it (the last such mount where several share a point, as the newest hides the others).
const CSysfsDevices::CMount* CSysfsDevices::MountHolding(const std::string& path) const {
    const CMount* pFound = nullptr;
    for (const CMount& mount : m_mounts) {
        const std::string& point = mount.strPoint;
        const bool bInside =
            point == "/" || (StartsWith(path, point.c_str()) &&
                             (path.size() == point.size() || path[point.size()] == '/'));
        if (bInside && (pFound == nullptr || point.size() >= pFound->strPoint.size())) {
            pFound = &mount;
        }
    }
    return pFound;
}

std::string CSysfsDevices::BlockPath(const std::string& name) const {
    return m_strRoot + "/class/block/" + name;
}

// Adds the device `name` and everything below it to the chain, at depth `nDepth`.
void CSysfsDevices::WalkDevice(const std::string& name, int nDepth, CVolumeDevice& device,
                               CWalk& walk) const {
    const std::string base = BlockPath(name);
    if (nDepth > kMaxDepth || !walk.seen.insert(name).second || !Exists(base)) {
        walk.bComplete = false;
        return;
    }
    CDeviceLayer layer;
    layer.m_strName = name;
    layer.m_nDepth = nDepth;
    if (Exists(base + "/partition")) {
        layer.m_eKind = ELayer::Partition;
        device.m_chain.push_back(layer);
        const std::string disk = ReadUevent(base + "/../uevent", "DEVNAME");
        if (disk.empty()) {
            walk.bComplete = false;
            return;
        }
        WalkDevice(disk, nDepth + 1, device, walk);
        return;
    }
    layer.m_medium = QueueMedium(name);
    if (Exists(base + "/dm")) {
        const bool bCrypt = StartsWith(ReadAttribute(base + "/dm/uuid").value_or(""), "CRYPT-");
        layer.m_eKind = bCrypt ? ELayer::Crypt : ELayer::DeviceMapper;
        layer.m_strDetail = ReadAttribute(base + "/dm/name").value_or("");
        WalkBelow(name, layer, device, walk);
    } else if (Exists(base + "/md/level")) {
        layer.m_eKind = ELayer::Raid;
        layer.m_strDetail = ReadAttribute(base + "/md/level").value_or("");
        WalkBelow(name, layer, device, walk);
    } else if (Exists(base + "/loop/backing_file")) {
        layer.m_eKind = ELayer::Loop;
        layer.m_strDetail = ReadAttribute(base + "/loop/backing_file").value_or("");
        device.m_chain.push_back(layer);
        walk.loopMedia.push_back(layer.m_medium);
        WalkLoop(layer.m_strDetail, nDepth + 1, device, walk);
    } else {
        layer.m_eKind = ELayer::Drive;
        device.m_chain.push_back(layer);
        device.m_drives.push_back(ReadDrive(name));
    }
}

// Adds the mapping or array `layer` and the devices it is made of ("slaves").
void CSysfsDevices::WalkBelow(const std::string& name, const CDeviceLayer& layer,
                              CVolumeDevice& device, CWalk& walk) const {
    device.m_chain.push_back(layer);
    const std::vector<std::string> below = ListNames(BlockPath(name) + "/slaves");
    if (below.empty()) {
        walk.bComplete = false;
    }
    for (const std::string& slave : below) {
        WalkDevice(slave, layer.m_nDepth + 1, device, walk);
    }
}

// Adds the devices of the volume that holds the file `backing` (a loop device's file, or the
// folder an encrypting file system stores in).
void CSysfsDevices::WalkLoop(const std::string& backing, int nDepth, CVolumeDevice& device,
                             CWalk& walk) const {
    const std::string deleted = " (deleted)";
    std::string path = backing;
    if (path.size() > deleted.size() &&
        path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
        path.resize(path.size() - deleted.size());
    }
    const CMount* pMount = StartsWith(path, "/") ? MountHolding(path) : nullptr;
    const std::string name = pMount != nullptr ? DeviceNameOf(*pMount) : std::string();
    if (name.empty()) {
        walk.bComplete = false;
        return;
    }
    WalkDevice(name, nDepth, device, walk);
}

// What the drive `name` tells of itself.
CDriveFacts CSysfsDevices::ReadDrive(const std::string& name) const {
    const std::string base = BlockPath(name);
    CDriveFacts drive;
    drive.m_strName = name;
    const bool bRam = StartsWith(name, "zram") || StartsWith(name, "ram");
    drive.m_medium = bRam ? std::optional<EMedium>(EMedium::Memory) : QueueMedium(name);
    drive.m_bRemovable = ReadFlag(base + "/removable");
    drive.m_bDiscard = QueueDiscard(name);
    const std::string placed = ResolvedPath(base);
    drive.m_transport = TransportOf(name, placed);
    drive.m_model = ReadAttribute(base + "/device/model");
    if (!drive.m_model) {
        drive.m_model = ReadAttribute(base + "/device/name");  // an MMC or SD card
    }
    const std::optional<std::string> vendor = ReadAttribute(base + "/device/vendor");
    if (drive.m_model && vendor && *vendor != "ATA" &&
        !StartsWith(*drive.m_model, vendor->c_str())) {
        drive.m_model = *vendor + " " + *drive.m_model;
    }
    drive.m_serial = ReadAttribute(base + "/device/serial");  // NVMe, MMC
    if (!drive.m_serial) {
        drive.m_serial = ReadAttribute(base + "/serial");  // virtio
    }
    if (!drive.m_serial && drive.m_transport == ETransport::Usb) {
        drive.m_serial = ReadUsbSerial(placed, ResolvedPath(m_strRoot));
    }
    if (!drive.m_serial) {
        drive.m_serial = ReadVpdSerial(base + "/device/vpd_pg80");  // SCSI, SATA behind libata
    }
    return drive;
}

// The queue of a partition is its disk's.
std::optional<EMedium> CSysfsDevices::QueueMedium(const std::string& name) const {
    const std::string base = BlockPath(name);
    const std::string queue = Exists(base + "/queue") ? base + "/queue" : base + "/../queue";
    const std::optional<bool> rotating = ReadFlag(queue + "/rotational");
    if (!rotating) {
        return std::nullopt;
    }
    return *rotating ? EMedium::Rotating : EMedium::Flash;
}

std::optional<bool> CSysfsDevices::QueueDiscard(const std::string& name) const {
    const std::string base = BlockPath(name);
    const std::string queue = Exists(base + "/queue") ? base + "/queue" : base + "/../queue";
    const std::optional<std::string> bytes = ReadAttribute(queue + "/discard_max_bytes");
    if (!bytes || bytes->find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return *bytes != "0";
}

}  // namespace quorrel::posix

namespace quorrel {

std::string DriveEraseCommand(const CVolumeDevice& device) {
    std::optional<ETransport> transport;
    for (const CDriveFacts& drive : device.m_drives) {
        if (!transport || drive.m_medium == EMedium::Flash) {
            transport = drive.m_transport;
        }
    }
    if (transport == ETransport::Nvme) {
        return "for this NVMe drive: nvme sanitize, of nvme-cli";
    }
    if (transport == ETransport::Sata) {
        return "for this SATA drive: the ATA secure erase of hdparm";
    }
    return "for this drive: blkdiscard --secure, where the drive takes it";
}

}  // namespace quorrel

namespace quorrel::posix {

bool DescribeSystemMount(std::uint64_t nMount, CVolumeDevice& device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string text((std::istreambuf_iterator<char>(table)),
                           std::istreambuf_iterator<char>());
    // The tests of the real program read the facts of no real device (QUORREL_TEST_SYSFS_ROOT
    // names an empty folder): what they check must not hang on the disk they happen to run on.
    const char* root = std::getenv("QUORREL_TEST_SYSFS_ROOT");
    const CSysfsDevices devices(root != nullptr && *root != '\0' ? root : "/sys", text);
    return devices.DescribeMount(nMount, device);
}

}  // namespace quorrel::posix

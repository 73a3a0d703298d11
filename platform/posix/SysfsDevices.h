// The device facts of Linux mounts, read from sysfs and the mount table. Internal to platform/.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/DeviceFacts.h"

namespace quorrel::posix {

// Follows a mount's block devices down through sysfs: partitions to their disk, device-mapper
// and md devices to the devices under them ("slaves"), a loop device to the volume of its
// backing file; the drives at the bottom tell model, serial, transport, medium, whether they
// are removable and take discards. Reads files only; the sysfs folder is given, so that the
// walk runs over a copy of another machine's tree as well.
class CSysfsDevices {
public:
    // `sysRoot`: where sysfs is mounted ("/sys", or a copy of such a tree); `mountInfo`: the
    // mount table in the form of /proc/self/mountinfo.
    CSysfsDevices(std::string sysRoot, const std::string& mountInfo);

    // The facts of the mount whose id (the table's first field) is `nMount`. False when the
    // table has no such mount; true otherwise, with whatever could be found.
    bool DescribeMount(std::uint64_t nMount, CVolumeDevice& device) const;
    // The same for the first mount at the mount point `point`.
    bool DescribeMountPoint(const std::string& point, CVolumeDevice& device) const;

private:
    struct CMount {
        std::uint64_t nId = 0;
        unsigned nMajor = 0;
        unsigned nMinor = 0;
        std::string strPoint;
        std::string strType;
        std::string strSource;
    };
    // What a walk carries along: the devices seen (a loop over a file on itself must end) and
    // whether every branch reached a drive.
    struct CWalk {
        std::set<std::string> seen;
        bool bComplete = true;
        std::vector<std::optional<EMedium>> loopMedia;  // what each loop device says of itself
    };

    void Describe(const CMount& mount, CVolumeDevice& device) const;
    std::string DeviceNameOf(const CMount& mount) const;
    const CMount* MountHolding(const std::string& path) const;
    void WalkDevice(const std::string& name, int nDepth, CVolumeDevice& device, CWalk& walk) const;
    void WalkBelow(const std::string& name, const CDeviceLayer& layer, CVolumeDevice& device,
                   CWalk& walk) const;
    void WalkLoop(const std::string& backing, int nDepth, CVolumeDevice& device, CWalk& walk) const;
    CDriveFacts ReadDrive(const std::string& name) const;
    std::string BlockPath(const std::string& name) const;
    std::optional<EMedium> QueueMedium(const std::string& name) const;
    std::optional<bool> QueueDiscard(const std::string& name) const;

    std::string m_strRoot;
    std::vector<CMount> m_mounts;
};

// The facts of the mount `nMount` of this machine, from /sys and /proc/self/mountinfo as they
// are now. False when the mount is not in the table. The tests of the real program set
// QUORREL_TEST_SYSFS_ROOT to an empty folder, which stands for /sys: every device is unknown.
bool DescribeSystemMount(std::uint64_t nMount, CVolumeDevice& device);

}  // namespace quorrel::posix

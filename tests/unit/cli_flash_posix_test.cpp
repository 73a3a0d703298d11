// The flash line end to end: quorrel-shred over files in a temporary folder, with a sysfs tree
// of the test's own standing for the devices under that folder's mount (whatever the machine's
// disk is): dm-crypt over an NVMe partition gives the plain line and exit 0; the NVMe partition
// bare gives the warning, once for three files, and exit 3; a rotating SATA disk, no line and
// exit 0.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/log/LogLines.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/posix/SysfsTree.h"

namespace quorrel::test {
namespace {

// The mount point and device numbers ("8:1") of the mount `path` lies on, from the mount table.
bool MountOf(const std::string& path, std::string& point, std::string& numbers) {
    struct statx stx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_MNT_ID, &stx) != 0 ||
        (stx.stx_mask & STATX_MNT_ID) == 0) {
        return false;
    }
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::uint64_t nId = 0;
        std::string parent;
        std::string root;
        if (fields >> nId >> parent >> numbers >> root >> point && nId == stx.stx_mnt_id) {
            return point.find('\\') == std::string::npos;  // no escapes to undo here
        }
    }
    return false;
}

// Runs quorrel-shred with `args` (no quotes in them) and the sysfs tree `sysRoot`.
int Shred(const std::string& sysRoot, const std::string& args, std::vector<std::string>& lines) {
    const std::string command =
        "QUORREL_TEST_SYSFS_ROOT='" + sysRoot + "' '" + QUORREL_SHRED_PATH + "' --yes " + args;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    lines.clear();
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    std::string out;
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    const int nStatus = ::pclose(pipe);
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

const std::string kNvme = "pci0000:00/0000:00:1d.0/nvme/nvme0";

TEST(CliFlash, TheLineAndTheExitStatusFollowTheDeviceUnderTheVolume) {
    CTempDir work;
    std::string point;
    std::string numbers;
    ASSERT_TRUE(MountOf(work.Path(), point, numbers));
    CVolumeDevice nvme;  // what the warning names as the drive's own command
    nvme.m_drives.resize(1);
    nvme.m_drives[0].m_transport = ETransport::Nvme;
    struct SCase {
        const char* name;
        std::string line;  // the one line about the drive; empty: none
        int nExit;
    };
    const SCase cases[] = {
        {"crypt", lines::FlashEncrypted(point, "dm-crypt"), 0},
        {"bare", lines::FlashKeepsCopies(point, DriveEraseCommand(nvme)), 3},
        {"rotating", "", 0},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.name);
        CTempDir sys;
        CSysTree tree(sys / "sys");
        const std::string name = test.name;
        if (name == "rotating") {
            tree.Block("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda", numbers,
                       {{"queue/rotational", "1"}, {"removable", "0"}});
        } else {
            tree.Put(kNvme, {{"model", "Samsung SSD 980 1TB"}, {"serial", "S64ANS0T123456"}});
            tree.Block(kNvme + "/nvme0n1", "259:90",
                       {{"queue/rotational", "0"}, {"device", "->../../nvme0"}});
            tree.Block(kNvme + "/nvme0n1/nvme0n1p3", name == "bare" ? numbers : "259:93",
                       {{"partition", "3"}});
        }
        if (name == "crypt") {
            tree.Block("virtual/block/dm-0", numbers,
                       {{"dm/name", "luks-home"},
                        {"dm/uuid", "CRYPT-LUKS2-0123-luks-home"},
                        {"queue/rotational", "0"},
                        {"slaves/nvme0n1p3", "->../../nvme0n1p3"}});
        }
        std::string args;
        for (const char* file : {"a", "b", "c"}) {
            WriteFile(work / file, "secret");
            args += "'" + (work / file) + "' ";
        }
        std::vector<std::string> lines;
        EXPECT_EQ(Shred(tree.Root(), args, lines), test.nExit);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), test.line), test.line.empty() ? 0 : 1);
        const auto Mentions = [](const std::string& line) {
            return line.find("flash drive") != std::string::npos;
        };
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), Mentions), test.line.empty() ? 0 : 1);
        EXPECT_EQ(ListNames(work.Path()), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace quorrel::test

// The drive under what a run shreds: a flash volume without an encryption layer gets one "* "
// line per run (not per file) and the run's outcome says copies may remain; under an
// encryption layer one "- " line and the outcome stays; rotating, memory and unknown media get
// none. The facts are read once per volume per run.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/log/LogLines.h"
#include "engine/runs/Runs.h"
#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

CVolumeDevice Device(const std::string& top, std::optional<EMedium> medium,
                     std::optional<bool> bEncrypted) {
    CVolumeDevice device;
    device.m_strMountPoint = top;
    device.m_strFileSystem = "ext4";
    device.m_strSource = "/dev/nvme0n1p2";
    device.m_medium = medium;
    device.m_bEncrypted = bEncrypted;
    device.m_strEncryption = bEncrypted == true ? "dm-crypt" : "";
    CDriveFacts drive;
    drive.m_strName = "nvme0n1";
    drive.m_transport = ETransport::Nvme;
    drive.m_medium = medium;
    device.m_drives.push_back(drive);
    return device;
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, start.size(), start) == 0;
    }));
}

TEST(DeviceNotes, OneLinePerFlashVolumeAndTheOutcomeFollowsIt) {
    struct SCase {
        std::optional<EMedium> medium;
        std::optional<bool> bEncrypted;
        const char* line;  // "*", "-" or "" (none)
        EWipeOutcome outcome;
    };
    const SCase cases[] = {
        {EMedium::Flash, false, "*", EWipeOutcome::RemovedNotInPlace},
        {EMedium::Flash, std::nullopt, "*", EWipeOutcome::RemovedNotInPlace},
        {EMedium::Flash, true, "-", EWipeOutcome::Destroyed},
        {EMedium::Rotating, false, "", EWipeOutcome::Destroyed},
        {EMedium::Memory, false, "", EWipeOutcome::Destroyed},
        {std::nullopt, std::nullopt, "", EWipeOutcome::Destroyed},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.line);
        CTempDir dir;
        CFakeFileSystem files;
        CRecordingHost host;
        CWipeEngine engine(files, host);
        const CVolumeDevice device = Device(dir.Path(), test.medium, test.bEncrypted);
        files.PretendDevice(device);
        MakeFolder(dir / "sub");
        std::vector<std::string> paths;
        for (const char* name : {"a", "b", "c"}) {
            WriteFile(dir / name, "secret");
            paths.push_back(dir / name);
        }
        paths.push_back(dir / "sub");
        WriteFile(dir / "sub" / "d", "secret");
        CRowList list(paths);
        ASSERT_TRUE(RunWipeSelected(engine, list));
        EXPECT_EQ(list.GetItemCount(), 0);
        EXPECT_EQ(engine.RunOutcome(), test.outcome);
        const std::vector<std::string>& lines = host.Lines();
        const std::string warning = lines::FlashKeepsCopies(dir.Path(), DriveEraseCommand(device));
        const std::string plain = lines::FlashEncrypted(dir.Path(), "dm-crypt");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), warning), *test.line == '*' ? 1 : 0);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), plain), *test.line == '-' ? 1 : 0);
        EXPECT_EQ(CountStartingWith(lines, "* "), *test.line == '*' ? 1 : 0);
        // Said at the run's end, before its time line.
        if (*test.line != '\0') {
            EXPECT_EQ(lines[lines.size() - 2], *test.line == '*' ? warning : plain);
        }
        EXPECT_EQ(files.DeviceAsks(), 1);  // one volume, asked once
        // A second run reads the facts afresh, and a folder run says it as well.
        WriteFile(dir / "e", "secret");
        MakeFolder(dir / "tree");
        WriteFile(dir / "tree" / "f", "secret");
        CRowList again({dir / "e"});
        ASSERT_TRUE(RunWipeSelected(engine, again));
        ASSERT_TRUE(RunWipeFolder(engine, dir / "tree"));
        EXPECT_EQ(files.DeviceAsks(), 3);
        EXPECT_EQ(CountStartingWith(host.Lines(), "* "), *test.line == '*' ? 3 : 0);
    }
}

// Several mounts of one device (bind mounts) are one drive: one line.
TEST(DeviceNotes, SaysEachDeviceOnceHoweverManyMountsShowIt) {
    CRecordingHost host;
    CRunLog log(host);
    CDeviceNotes notes;
    CTempDir dir;
    CFakeFileSystem files;
    files.PretendDevice(Device(dir.Path(), EMedium::Flash, false));
    CFileError error;
    std::unique_ptr<IFolder> folder = files.OpenFolder(dir.Path(), error);
    ASSERT_TRUE(folder);
    CDirEntry first;
    first.m_nMount = 1;
    CDirEntry second;
    second.m_nMount = 2;
    notes.Note(*folder, first);
    notes.Note(*folder, second);
    notes.Note(*folder, first);
    EXPECT_EQ(files.DeviceAsks(), 2);
    notes.Say(log);
    EXPECT_EQ(host.Lines().size(), 1u);
    EXPECT_EQ(log.WarningCount(), 1);
    EXPECT_EQ(notes.Devices().size(), 2u);  // kept for the run's receipt
    notes.Forget();
    notes.SetEnabled(false);  // off: nothing is read, nothing said
    notes.Note(*folder, first);
    notes.Say(log);
    EXPECT_EQ(files.DeviceAsks(), 2);
    EXPECT_EQ(host.Lines().size(), 1u);
}

}  // namespace
}  // namespace quorrel::test

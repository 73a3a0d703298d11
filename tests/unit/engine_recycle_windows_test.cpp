// WIPE Recycle Bin under the Windows rules: fake drives, token and shell, with the drives'
// folders kept in a temporary folder ("C:\x" is <tmp>/C/x) so real files are shredded.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/runs/RecycleBinRun.h"
#include "engine/runs/WipeEngine.h"
#include "tests/unit/TestSupport.h"
#include "tests/unit/WindowsFacts.h"

namespace quorrel::test {

namespace {

// Windows paths of the fake drives, stored under one temporary folder.
class CDriveFolders final : public IFileSystem {
public:
    explicit CDriveFolders(std::string strBase) : m_strBase(std::move(strBase)) {}

    std::string Map(const std::string& path) const {
        if (path.size() < 3 || path[1] != ':') {
            return path;
        }
        std::string mapped = m_strBase + "/" + path[0] + "/" + path.substr(3);
        std::replace(mapped.begin(), mapped.end(), '\\', '/');
        return mapped;
    }

    std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                          CFileError& error) override {
        return m_real.OpenParentOf(Map(path), name, error);
    }
    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        return m_real.GetStatus(Map(path), status, error);
    }
    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        return m_real.FindEntry(Map(path), entry);
    }
    bool IsFileSystemRoot(const std::string& path) override {
        return path.size() <= 3 || m_real.IsFileSystemRoot(Map(path));
    }
    std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) override {
        return m_real.OpenFolder(Map(path), error);
    }

private:
    std::string m_strBase;
    IFileSystem& m_real = SystemFileSystem();
};

const char kSidFolder[] = "C:\\Recycler\\S-1-5-21-1-2-3-1004\\";

class RecycleWindowsTest : public ::testing::Test {
protected:
    RecycleWindowsTest()
        : m_files(m_dir.Path()), m_bins(m_drives, m_token, m_shell), m_engine(m_files, m_host) {
        m_token.m_sid = UserSid();
        m_engine.SetClock([] { return std::int64_t{100}; });
        m_shell.m_pLog = &m_host.Lines();
        m_drives.m_isFolder = [this](const std::string& folder) {
            std::string path = m_files.Map(folder);
            path.pop_back();
            return Exists(path);
        };
        m_shell.m_onEmpty = [this](const std::string& root) { EmptyDrive(root); };
    }

    // What the shell does: every entry of the drive's bins goes but the bins' own
    // bookkeeping; what each file held at that moment is kept in m_atEmptying.
    void EmptyDrive(const std::string& root) {
        namespace fs = std::filesystem;
        for (const char* bin : {"Recycler\\S-1-5-21-1-2-3-1004\\", "RECYCLED\\",
                                "$Recycle.Bin\\S-1-5-21-1-2-3-1004\\"}) {
            const fs::path folder = m_files.Map(root + bin);
            if (!m_bShellRemoves || !fs::is_directory(folder)) {
                continue;
            }
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (IsWindowsBinBookkeeping(name)) {
                    continue;
                }
                if (entry.is_directory()) {
                    for (const auto& inner : fs::recursive_directory_iterator(entry.path())) {
                        if (inner.is_regular_file()) {
                            m_atEmptying[inner.path().generic_string()] =
                                ReadFile(inner.path().string());
                        }
                    }
                } else {
                    m_atEmptying[entry.path().generic_string()] = ReadFile(entry.path().string());
                }
                fs::remove_all(entry.path());
            }
        }
    }

    void MakeBin(const std::string& folder) {
        std::string path = m_files.Map(folder);
        path.pop_back();
        std::string built;
        for (std::size_t start = m_dir.Path().size() + 1; start <= path.size();) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            built = path.substr(0, end);
            if (!Exists(built)) {
                MakeFolder(built);
            }
            start = end + 1;
        }
    }
    void Put(const std::string& folder, const std::string& name, const std::string& content) {
        WriteFile(m_files.Map(folder) + name, content);
    }
    std::string Read(const std::string& folder, const std::string& name) {
        return ReadFile(m_files.Map(folder) + name);
    }
    // What the file held when the shell removed it.
    std::string ReadAtEmptying(const std::string& folder, const std::string& name) {
        return m_atEmptying[m_files.Map(folder) + name];
    }
    bool m_bShellRemoves = true;
    std::map<std::string, std::string> m_atEmptying;
    CTempDir m_dir;
    CDriveFolders m_files;
    CFakeDrives m_drives;
    CFakeToken m_token;
    CFakeShell m_shell;
    CWindowsRecycleBins m_bins;
    CRecordingHost m_host;
    CWipeEngine m_engine;
};

}  // namespace

TEST_F(RecycleWindowsTest, NtfsOnCThenFatOnDEachEmptiedRightAfterItsOwnDrive) {
    m_drives.Add('A', 2, "FAT");
    m_drives.Add('C', kDriveFixed, "NTFS");
    m_drives.Add('D', kDriveFixed, "FAT32");
    m_drives.Add('N', 4, "NTFS");
    MakeBin(kSidFolder);
    MakeBin("D:\\RECYCLED\\");
    MakeBin("A:\\RECYCLED\\");
    MakeBin("N:\\RECYCLED\\");
    Put(kSidFolder, "Dc1.txt", "c secret");
    Put(kSidFolder, "INFO2", "c index");
    Put(kSidFolder, "desktop.ini", "c ini");
    Put("D:\\RECYCLED\\", "Dd1.doc", "d secret");
    Put("D:\\RECYCLED\\", "info2", "d index");
    Put("D:\\RECYCLED\\", "DESKTOP.INI", "d ini");
    Put("A:\\RECYCLED\\", "Da1", "floppy");
    Put("N:\\RECYCLED\\", "Dn1", "network");

    EXPECT_TRUE(RunWipeRecycleBin(m_engine, m_bins));

    const std::string c = std::string(kSidFolder) + "Dc1.txt";
    const std::string d = "D:\\RECYCLED\\Dd1.doc";
    EXPECT_EQ(m_host.Lines(),
              (std::vector<std::string>{
                  "- Start shredding recycle bin.", "Shredding resycle bin file " + c,
                  "File " + c + " successfuly shreded frm recykle bin ",
                  "Shredding resycle bin file " + d,
                  "File " + d + " successfuly shreded frm recykle bin ", "- Time: 0 seconds."}));
    // what the shell removed had been overwritten
    EXPECT_EQ(ReadAtEmptying(kSidFolder, "Dc1.txt"), std::string(8, '\0'));
    EXPECT_EQ(ReadAtEmptying("D:\\RECYCLED\\", "Dd1.doc"), std::string(8, '\0'));
    EXPECT_EQ(Read(kSidFolder, "INFO2"), "c index");
    EXPECT_EQ(Read(kSidFolder, "desktop.ini"), "c ini");
    EXPECT_EQ(Read("D:\\RECYCLED\\", "info2"), "d index");
    EXPECT_EQ(Read("D:\\RECYCLED\\", "DESKTOP.INI"), "d ini");
    EXPECT_EQ(Read("A:\\RECYCLED\\", "Da1"), "floppy");
    EXPECT_EQ(Read("N:\\RECYCLED\\", "Dn1"), "network");
    // C emptied before D's first line, D right after its own entries
    EXPECT_EQ(m_shell.m_calls,
              (std::vector<std::string>{"load", "empty C:\\ 7", "empty D:\\ 7", "free"}));
    EXPECT_EQ(m_shell.m_linesAtEmpty, (std::vector<std::size_t>{3, 5}));
}

TEST_F(RecycleWindowsTest, FatOnlyMachineHasItsBinsShredded) {
    m_drives.Add('C', kDriveFixed, "FAT32");
    MakeBin("C:\\RECYCLED\\");
    Put("C:\\RECYCLED\\", "Dc1", "old");
    MakeBin("C:\\RECYCLED\\Dc2\\");
    Put("C:\\RECYCLED\\Dc2\\", "inner", "folder content");
    EXPECT_TRUE(RunWipeRecycleBin(m_engine, m_bins));
    EXPECT_EQ(ReadAtEmptying("C:\\RECYCLED\\", "Dc1"), std::string(3, '\0'));
    EXPECT_EQ(ReadAtEmptying("C:\\RECYCLED\\Dc2\\", "inner"), std::string(14, '\0'));
    const std::vector<std::string>& lines = m_host.Lines();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Shredding resycle bin folder C:\\RECYCLED\\Dc2"),
        lines.end());
}

TEST_F(RecycleWindowsTest, MissingBinIsReportedWithItsBackslashAndNotEmptied) {
    m_drives.Add('C', kDriveFixed, "NTFS");
    m_drives.Add('D', kDriveFixed, "FAT");
    MakeBin("D:\\RECYCLED\\");
    EXPECT_TRUE(RunWipeRecycleBin(m_engine, m_bins));
    // A bin never used is named in the newest layout.
    EXPECT_EQ(m_host.Lines()[1],
              "* Error: Could not access C:\\$Recycle.Bin\\S-1-5-21-1-2-3-1004\\");
    EXPECT_EQ(m_shell.m_calls, (std::vector<std::string>{"load", "empty D:\\ 7", "free"}));
}

TEST_F(RecycleWindowsTest, WhatEndsTheCommandBeforeAnyWork) {
    // no shell library: not a word
    m_shell.m_bLoads = false;
    EXPECT_FALSE(RunWipeRecycleBin(m_engine, m_bins));
    EXPECT_TRUE(m_host.Lines().empty());
    // an entry point missing
    m_shell.m_bLoads = true;
    m_shell.m_missing = "SHQueryRecycleBinW";
    EXPECT_FALSE(RunWipeRecycleBin(m_engine, m_bins));
    EXPECT_EQ(m_host.Lines(), std::vector<std::string>{"* Could not access Recycle Bin APIs"});
    // no fixed drive at all
    m_host.ClearLines();
    m_shell.m_missing.clear();
    m_drives.Add('A', 2, "FAT");
    EXPECT_FALSE(RunWipeRecycleBin(m_engine, m_bins));
    EXPECT_EQ(m_host.Lines(), std::vector<std::string>{"* Can't get drive info!"});
    EXPECT_EQ(m_shell.m_calls.back(), "free");
    EXPECT_TRUE(m_host.m_events.empty());
}

TEST_F(RecycleWindowsTest, NoSidTextEndsTheDriveLoopSilently) {
    m_drives.Add('C', kDriveFixed, "FAT");
    m_drives.Add('D', kDriveFixed, "NTFS");
    m_drives.Add('E', kDriveFixed, "FAT");
    MakeBin("C:\\RECYCLED\\");
    MakeBin("E:\\RECYCLED\\");
    Put("E:\\RECYCLED\\", "De1", "kept");
    m_token.m_bReads = false;
    RunWipeRecycleBin(m_engine, m_bins);
    ASSERT_EQ(m_host.Lines().size(), 2u);
    EXPECT_EQ(m_host.Lines()[0], "- Start shredding recycle bin.");
    EXPECT_EQ(m_shell.m_calls, (std::vector<std::string>{"load", "empty C:\\ 7", "free"}));
    EXPECT_EQ(Read("E:\\RECYCLED\\", "De1"), "kept");
}

// The shell's word is not taken: a shell that answers done and removes nothing (as one that
// empties another bin than this one does), and one that answers failed.
TEST_F(RecycleWindowsTest, ABinTheShellDidNotEmptyFailsTheRunEntryByEntry) {
    for (const bool bEmpties : {true, false}) {
        SCOPED_TRACE(bEmpties);
        m_host.ClearLines();
        m_drives.Add('C', kDriveFixed, "NTFS");
        MakeBin(kSidFolder);
        Put(kSidFolder, "Dc1.txt", "c secret");
        Put(kSidFolder, "desktop.ini", "c ini");
        m_bShellRemoves = false;
        m_shell.m_bEmpties = bEmpties;
        const int nFailures = m_engine.FailureCount();

        EXPECT_FALSE(RunWipeRecycleBin(m_engine, m_bins));

        const std::string path = std::string(kSidFolder) + "Dc1.txt";
        std::vector<std::string> expected = {
            "- Start shredding recycle bin.", "Shredding resycle bin file " + path,
            "File " + path + " successfuly shreded frm recykle bin "};
        if (!bEmpties) {
            expected.push_back("* Error emptying the recycle bin " + std::string(kSidFolder) +
                               ": the system reports it failed");
        }
        expected.push_back("* " + path + " is still in the recycle bin after emptying");
        expected.push_back("- Time: 0 seconds.");
        EXPECT_EQ(m_host.Lines(), expected);
        EXPECT_EQ(m_engine.FailureCount() - nFailures, bEmpties ? 1 : 2);
    }
}

}  // namespace quorrel::test

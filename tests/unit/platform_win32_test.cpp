// The Win32 backend on a real Windows file system (under Wine in CI): sharing, the read-only
// attribute, long paths, renames that never replace, the user's bin and the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "engine/runs/Runs.h"
#include "engine/runs/WipeEngine.h"
#include "platform/Settings.h"
#include "platform/WindowsRecycleBin.h"
#include "platform/win32/Win32Support.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {

namespace {

using win32::CHandle;
using win32::ExtendedPath;
using win32::Widen;

class Win32Test : public ::testing::Test {
protected:
    Win32Test() : m_engine(SystemFileSystem(), m_host) { m_engine.SetWipeMethod(1); }

    // Wipes `path` in `mode` and gives the run's lines.
    EWipeOutcome Wipe(const std::string& path, EWipeMode mode = EWipeMode::Normal) {
        m_host.ClearLines();
        return m_engine.WipeFile(path, mode);
    }
    std::string Lines() const {
        std::string all;
        for (const std::string& line : m_host.Lines()) {
            all += line + "\n";
        }
        return all;
    }

    CTempDir m_dir;
    CRecordingHost m_host;
    CWipeEngine m_engine;
};

}  // namespace

// Another program's open handle is a sharing violation: the file stays whole; once it is
// closed the file is destroyed.
TEST_F(Win32Test, AFileHeldElsewhereIsLeftAloneUntilItIsFree) {
    const std::string path = m_dir / "held.txt";
    WriteFile(path, "secret");
    for (const DWORD nShare : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        CHandle other(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, nShare, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other.IsValid());
        EXPECT_EQ(Wipe(path), EWipeOutcome::Failed) << nShare;
        EXPECT_NE(Lines().find("* "), std::string::npos) << Lines();
        other.Reset();
        EXPECT_EQ(ReadFile(path), "secret");
    }
    EXPECT_EQ(Wipe(path), EWipeOutcome::Destroyed) << Lines();
    EXPECT_FALSE(Exists(path));
}

// The read-only attribute is the system's own: recycle-bin mode leaves such a file as it is,
// normal mode clears it first. The backend checks the attribute itself, so this holds even for
// an administrator, whom some systems let open a read-only file for writing.
TEST_F(Win32Test, TheReadOnlyAttributeIsRespected) {
    const std::string path = m_dir / "readonly.txt";
    WriteFile(path, "kept");
    ASSERT_TRUE(::SetFileAttributesW(ExtendedPath(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Wipe(path, EWipeMode::RecycleBin), EWipeOutcome::Failed);
    EXPECT_EQ(ReadFile(path), "kept");
    EXPECT_NE(::GetFileAttributesW(ExtendedPath(path).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Wipe(path), EWipeOutcome::Destroyed) << Lines();
    EXPECT_FALSE(Exists(path));
}

// Paths of any length: a file 300 characters deep, named without the "\\?\" prefix.
TEST_F(Win32Test, PathsLongerThanMaxPathWork) {
    std::string folder = m_dir.Path();
    while (folder.size() < 300) {
        folder = JoinPath(folder, std::string(40, 'd'));
        ASSERT_TRUE(::CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr)) << folder;
    }
    const std::string path = JoinPath(folder, "deep.txt");
    CHandle file(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                               nullptr));
    ASSERT_TRUE(file.IsValid());
    DWORD nWritten = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), "deep", 4, &nWritten, nullptr));
    file.Reset();
    EXPECT_EQ(Wipe(path), EWipeOutcome::Destroyed) << Lines();
    EXPECT_TRUE(
        m_engine.WipeFolder(JoinPath(m_dir.Path(), std::string(40, 'd')), EWipeMode::Normal))
        << Lines();
    EXPECT_TRUE(ListNames(m_dir.Path()).empty());
}

// A rename onto a name that is taken fails as such, and neither file changes.
TEST_F(Win32Test, ARenameNeverReplaces) {
    WriteFile(m_dir / "a", "a");
    WriteFile(m_dir / "b", "b");
    CFileError error;
    std::unique_ptr<IFolder> folder = SystemFileSystem().OpenFolder(m_dir.Path(), error);
    ASSERT_TRUE(folder);
    EXPECT_FALSE(folder->Rename("a", "b", error));
    EXPECT_EQ(error.m_eFault, EFileFault::NameTaken);
    EXPECT_EQ(ReadFile(m_dir / "a"), "a");
    EXPECT_EQ(ReadFile(m_dir / "b"), "b");
    EXPECT_TRUE(folder->Rename("a", "c", error));
}

// The device facts of a drive are what its storage driver answers, and nothing more: the volume
// is named by its root, with its file system; a medium the driver does not tell stays unknown,
// and a run there says nothing of flash. A free-space run's TRIM is said to be Windows' own.
TEST_F(Win32Test, TheDeviceFactsAreWhatTheDriverAnswers) {
    CFileError error;
    std::unique_ptr<IFolder> folder = SystemFileSystem().OpenFolder(m_dir.Path(), error);
    ASSERT_TRUE(folder);
    CVolumeDevice device;
    ASSERT_TRUE(folder->GetDevice(CDirEntry(), device));
    EXPECT_EQ(device.m_strMountPoint, m_dir.Path().substr(0, 3));
    EXPECT_FALSE(device.m_strFileSystem.empty());
    EXPECT_FALSE(device.m_bEncrypted.has_value());  // BitLocker is not asked
    EXPECT_EQ(folder->TrimFreeSpace(0, -1).m_eResult, ETrim::NotOffered);
    WriteFile(m_dir / "a", "secret");
    CRowList list({m_dir / "a"});
    ASSERT_TRUE(RunWipeSelected(m_engine, list));
    const bool bFlash = device.m_medium == EMedium::Flash;
    EXPECT_EQ(Lines().find("is on a flash drive") != std::string::npos, bFlash) << Lines();
    EXPECT_EQ(m_engine.RunOutcome() == EWipeOutcome::RemovedNotInPlace,
              bFlash && device.m_bEncrypted != true);
}

// The system's own facts: the shell's bin entry points, a fixed drive C:, the user's SID and
// the bin folder of the newest layout on it.
TEST(Win32Bins, TheUsersBinIsFoundWithItsSid) {
    IRecycleBins& bins = SystemRecycleBins();
    ASSERT_EQ(bins.Open(), EBinAccess::Ready);
    std::vector<CBinLocation> locations;
    ASSERT_TRUE(bins.Scan(locations));
    bins.Close();
    ASSERT_FALSE(locations.empty());
    EXPECT_EQ(locations[0].m_strRoot, "C:\\");
    std::string folder;
    ASSERT_TRUE(bins.BinFolder(locations[0], folder));
    EXPECT_TRUE(std::regex_match(folder, std::regex(R"(C:\\\$Recycle\.Bin\\S-1-5-21(-\d+)+\\)")))
        << folder;
}

// The method the window stored in the registry, whatever the value's type.
TEST(Win32Settings, TheMethodIsReadFromTheRegistry) {
    const std::wstring keyPath = L"SOFTWARE\\Tellmoor\\Quorrel\\1.0";
    const DWORD nMethod = 3;
    const BYTE shortValue[] = {2};
    const BYTE longValue[] = {1, 0, 0, 0, 0};
    const wchar_t three[] = L"3";  // what `reg add` without /t writes
    const wchar_t spaced[] = L" 2 ";
    const wchar_t word[] = L"x";
    const wchar_t one[] = L"1";
    const struct {
        DWORD nType;
        const BYTE* pData;
        DWORD nBytes;
        int nExpected;
    } cases[] = {
        {REG_DWORD, reinterpret_cast<const BYTE*>(&nMethod), sizeof nMethod, 3},
        {REG_BINARY, shortValue, sizeof shortValue, 2},
        {REG_BINARY, longValue, sizeof longValue, 0},
        {REG_SZ, reinterpret_cast<const BYTE*>(three), sizeof three, 3},
        {REG_SZ, reinterpret_cast<const BYTE*>(three), sizeof(wchar_t), 3},  // no terminator
        {REG_SZ, reinterpret_cast<const BYTE*>(spaced), sizeof spaced, 2},
        {REG_SZ, reinterpret_cast<const BYTE*>(word), sizeof word, 0},
        {REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(one), sizeof one, 1},
    };
    for (const auto& c : cases) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, L"Using Alorithm", 0, c.nType, c.pData, c.nBytes);
        ::RegCloseKey(key);
        int nRead = -1;
        EXPECT_TRUE(ReadStoredWipeMethod(nRead));
        EXPECT_EQ(nRead, c.nExpected) << c.nType;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Tellmoor");
    int nUnchanged = 7;
    EXPECT_FALSE(ReadStoredWipeMethod(nUnchanged));
    EXPECT_EQ(nUnchanged, 7);
}

// The path rules of Windows: drives, shares and the "\\?\" form keep their roots.
TEST(Win32Paths, RootsAreKept) {
    const struct {
        const char* path;
        std::size_t nRoot;
        const char* parent;
        const char* last;
    } cases[] = {
        {"C:\\dir\\file.txt", 3, "C:\\dir", "file.txt"},
        {"C:/dir/", 3, "C:/", "dir"},
        {"\\\\server\\share\\dir", 15, "\\\\server\\share\\", "dir"},
        {"\\\\?\\C:\\x", 7, "\\\\?\\C:\\", "x"},
        {"\\\\?\\UNC\\server\\share\\x", 21, "\\\\?\\UNC\\server\\share\\", "x"},
        {"dir\\file", 0, "dir", "file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathRootLength(c.path), c.nRoot) << c.path;
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
        EXPECT_EQ(LastPathPart(c.path), c.last) << c.path;
    }
    EXPECT_EQ(FullPath("C:\\a\\..\\b\\.\\c"), "C:\\b\\c");
    EXPECT_EQ(JoinPath("C:\\", "x"), "C:\\x");
    EXPECT_EQ(JoinPath("C:\\a", "x"), "C:\\a\\x");
}

// The spellings Windows gives a path: separators of either kind, runs of them after a root
// kept whole, drive-relative forms, and the listing's own pattern rules.
TEST(Win32Paths, SpellingsAndPatterns) {
    const struct {
        const char* path;
        const char* collapsed;
        bool bEndsInSeparator;
        bool bDriveRelative;
    } spellings[] = {
        {"C:\\a\\\\b//", "C:\\a\\b/", true, false},
        {"\\\\server\\share\\\\x", "\\\\server\\share\\x", false, false},
        {"C:\\", "C:\\", false, false},
        {"E:", "E:", false, true},
        {"e:notes.txt", "e:notes.txt", false, true},
        {"E:\\notes.txt", "E:\\notes.txt", false, false},
        {"\\\\?\\E:\\x", "\\\\?\\E:\\x", false, false},
    };
    for (const auto& c : spellings) {
        EXPECT_EQ(CollapseSeparators(c.path), c.collapsed) << c.path;
        EXPECT_EQ(EndsInSeparator(c.path), c.bEndsInSeparator) << c.path;
        EXPECT_EQ(IsDriveRelative(c.path), c.bDriveRelative) << c.path;
    }
    const struct {
        const char* pattern;
        const char* name;
        bool bMatches;
    } patterns[] = {
        {"WILD*.TXT", "wild1.txt", true},
        {"*.*", "README", true},
        {"?.dat", "ab.dat", false},
        {"a*b*c", "aXbYbZc", true},
        {"*", ".hidden", true},
        {"w?ld", "wld", false},
        {"*.txt", "notes.txt.bak", false},
        {"photo [1]*", "PHOTO 1.jpg", false},
        {"photo [1]*", "Photo [1].jpg", true},
        {"report[!0]*", "reportA.txt", false},
    };
    for (const auto& c : patterns) {
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.bMatches) << c.pattern << " " << c.name;
    }
}

}  // namespace quorrel::test

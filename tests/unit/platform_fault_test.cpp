// The fake file system the engine tests stand on: a fault must fire on exactly the
// call it was armed for, name the file as the real layer would, and leave the disk as a real
// failure would.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/FakeFileSystem.h"
#include "tests/unit/TestSupport.h"

namespace quorrel::test {
namespace {

std::unique_ptr<IFileHandle> Open(IFileSystem& fs, const std::string& path) {
    CFileError error;
    std::unique_ptr<IFileHandle> file = CPathOps(fs).OpenForWrite(path, error);
    EXPECT_NE(file, nullptr) << error.GetErrorMessage();
    return file;
}

bool Write(IFileHandle& file, const std::string& data, CFileError& error) {
    return file.Write(data.data(), data.size(), error);
}

TEST(FakeFileSystem, FaultFiresOnTheNthCallCountedFromArmingThenIsSpent) {
    CTempDir dir;
    WriteFile(dir / "a", "");
    WriteFile(dir / "b", "");
    CFakeFileSystem fs;
    std::unique_ptr<IFileHandle> a = Open(fs, dir / "a");
    std::unique_ptr<IFileHandle> b = Open(fs, dir / "b");
    ASSERT_TRUE(a && b);
    CFileError error;
    ASSERT_TRUE(Write(*a, "1", error));
    EXPECT_EQ(fs.CallCount(EFileOp::Write), 1);

    // The second write from now, whichever file it goes to.
    fs.FailOn(EFileOp::Write, kCauseHardIO, 2);
    ASSERT_TRUE(Write(*a, "2", error));
    ASSERT_TRUE(a->Flush(error));  // other operations do not count
    EXPECT_FALSE(Write(*b, "3", error));
    EXPECT_EQ(error.m_nCause, kCauseHardIO);
    EXPECT_EQ(fs.CallCount(EFileOp::Write), 3);
    // Spent: the next writes go through to the disk.
    EXPECT_TRUE(Write(*b, "4", error));
    EXPECT_TRUE(Write(*a, "5", error));
    EXPECT_EQ(ReadOpen(*a), "125");
    EXPECT_EQ(ReadOpen(*b), "4");  // the failed write stored nothing

    // Arming again counts from the calls made so far.
    fs.FailOn(EFileOp::Write, kCauseDiskFull);
    EXPECT_FALSE(Write(*a, "6", error));
    EXPECT_EQ(error.m_nCause, kCauseDiskFull);
    EXPECT_TRUE(Write(*a, "7", error));
    EXPECT_EQ(fs.CallCount(EFileOp::Write), 7);
    EXPECT_EQ(fs.CallCount(EFileOp::Flush), 1);
    EXPECT_EQ(fs.CallCount(EFileOp::Rename), 0);
}

// Each operation's fault names what the real layer names: the open the path as passed, a
// write or flush the full path, everything else no file.
TEST(FakeFileSystem, FaultNamesTheFileAsTheRealLayerWould) {
    CTempDir dir;
    MakeFolder(dir / "sub");
    WriteFile(dir / "f", "content");
    const std::string passed = dir.Path() + "/sub/../f";
    const std::string full = dir / "f";
    CFakeFileSystem fs;
    CFileError error;

    fs.FailOn(EFileOp::Open, kCauseSharingViolation);
    EXPECT_EQ(CPathOps(fs).OpenForWrite(passed, error), nullptr);
    EXPECT_EQ(error.GetErrorMessage(),
              "A sharing violation occurred while accessing " + passed + ".");

    std::unique_ptr<IFileHandle> file = Open(fs, passed);
    ASSERT_NE(file, nullptr);
    struct CHandleCase {
        EFileOp op;
        std::function<bool(CFileError&)> call;
        std::string name;
    };
    const std::vector<CHandleCase> handleCases = {
        {EFileOp::Write, [&](CFileError& e) { return Write(*file, "x", e); }, full},
        {EFileOp::Flush, [&](CFileError& e) { return file->Flush(e); }, full},
        {EFileOp::Length,
         [&](CFileError& e) {
             std::int64_t n;
             return file->GetLength(n, e);
         },
         kUnnamedFile},
        {EFileOp::Seek, [&](CFileError& e) { return file->SeekToBegin(e); }, kUnnamedFile},
        {EFileOp::Truncate, [&](CFileError& e) { return file->Truncate(0, e); }, kUnnamedFile},
    };
    for (const CHandleCase& item : handleCases) {
        fs.FailOn(item.op, kCauseHardIO);
        error = CFileError{};
        EXPECT_FALSE(item.call(error)) << static_cast<int>(item.op);
        EXPECT_EQ(error.m_nCause, kCauseHardIO);
        EXPECT_EQ(error.m_strFileName, item.name) << static_cast<int>(item.op);
    }
    // None of those touched the file.
    EXPECT_EQ(ReadOpen(*file), "content");

    // A failed close still lets go of the file.
    fs.FailOn(EFileOp::Close, kCauseHardIO);
    EXPECT_FALSE(file->Close(error));
    EXPECT_EQ(error.m_strFileName, kUnnamedFile);
    EXPECT_NE(Open(fs, full), nullptr);

    CFileStatus status;
    fs.FailOn(EFileOp::GetStatus, kCauseAccessDenied);
    EXPECT_FALSE(CPathOps(fs).GetStatus(full, status, error));
    EXPECT_EQ(error.GetErrorMessage(), "Access to an unnamed file was denied.");
    fs.FailOn(EFileOp::SetStatus, kCauseSharingViolation);
    EXPECT_FALSE(CPathOps(fs).SetReadOnlyAndCheckSharing(full, status, error));
    EXPECT_EQ(error.m_strFileName, kUnnamedFile);
    EXPECT_EQ(error.m_nCause, kCauseSharingViolation);
}

TEST(FakeFileSystem, FailedRemovalsLeaveTheDiskAsItWas) {
    CTempDir dir;
    WriteFile(dir / "f", "content");
    MakeFolder(dir / "empty");
    CFakeFileSystem fs;
    CFileError error;

    fs.FailOn(EFileOp::Rename, kCauseAccessDenied);
    EXPECT_FALSE(CPathOps(fs).Rename(dir / "f", dir / "g", error));
    EXPECT_EQ(error.GetErrorMessage(), "Access to an unnamed file was denied.");
    fs.FailOn(EFileOp::Delete, kCauseAccessDenied);
    EXPECT_FALSE(CPathOps(fs).Delete(dir / "f", error));
    EXPECT_EQ(error.m_strFileName, kUnnamedFile);
    fs.FailOn(EFileOp::RemoveFolder, kCauseAccessDenied);
    EXPECT_FALSE(CPathOps(fs).RemoveFolder(dir / "empty"));
    fs.FailOn(EFileOp::List, kCauseAccessDenied);
    std::vector<CDirEntry> entries;
    EXPECT_FALSE(CPathOps(fs).ListFolder(dir.Path(), entries));
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"empty", "f"}));

    // Spent, every one of them: the real operations follow.
    EXPECT_TRUE(CPathOps(fs).ListFolder(dir.Path(), entries));
    EXPECT_EQ(entries.size(), 2u);  // "." and ".." are never listed
    EXPECT_TRUE(CPathOps(fs).Rename(dir / "f", dir / "g", error));
    EXPECT_TRUE(CPathOps(fs).Delete(dir / "g", error));
    EXPECT_TRUE(CPathOps(fs).RemoveFolder(dir / "empty"));
    EXPECT_TRUE(ListNames(dir.Path()).empty());
}

TEST(FakeFileSystem, DiskFullStoresWhatFitsThenFailsThatWrite) {
    CTempDir dir;
    WriteFile(dir / "f", "");
    CFakeFileSystem fs;
    std::unique_ptr<IFileHandle> file = Open(fs, dir / "f");
    ASSERT_NE(file, nullptr);
    CFileError error;

    fs.FillDiskOn(2, 3);
    ASSERT_TRUE(Write(*file, "11111", error));
    EXPECT_FALSE(Write(*file, "22222", error));
    EXPECT_EQ(error.m_nCause, kCauseDiskFull);
    EXPECT_EQ(error.GetErrorMessage(), "Disk full while accessing " + (dir / "f") + ".");
    EXPECT_EQ(ReadOpen(*file), "11111222");
    // Only that write: the next one has room again.
    EXPECT_TRUE(Write(*file, "33", error));
    EXPECT_EQ(ReadOpen(*file), "1111122233");

    // More room than the write needs: it is stored whole and still reported.
    fs.FillDiskOn(1, 100);
    EXPECT_FALSE(Write(*file, "44", error));
    EXPECT_EQ(error.m_nCause, kCauseDiskFull);
    EXPECT_EQ(ReadOpen(*file), "111112223344");
    // No room at all.
    fs.FillDiskOn(1, 0);
    EXPECT_FALSE(Write(*file, "55", error));
    EXPECT_EQ(ReadOpen(*file), "111112223344");
}

TEST(FakeFileSystem, AddedAttributesShowWhereverTheEntryIsLookedAt) {
    CTempDir dir;
    MakeFolder(dir / "bin");
    MakeFolder(dir / "plain");
    CFakeFileSystem fs;
    fs.AddAttributes(dir / "bin", kAttrSystem);
    fs.AddAttributes(dir / "bin", kAttrHidden);

    CFileStatus status;
    CFileError error;
    ASSERT_TRUE(CPathOps(fs).GetStatus(dir / "bin", status, error));
    EXPECT_EQ(status.m_attributes, kAttrDirectory | kAttrSystem | kAttrHidden);
    ASSERT_TRUE(CPathOps(fs).GetStatus(dir / "plain", status, error));
    EXPECT_EQ(status.m_attributes, kAttrDirectory);

    CDirEntry entry;
    ASSERT_TRUE(fs.FindEntry(dir / "bin", entry));
    EXPECT_EQ(entry.m_attributes, kAttrDirectory | kAttrSystem | kAttrHidden);

    std::vector<CDirEntry> entries;
    ASSERT_TRUE(CPathOps(fs).ListFolder(dir.Path(), entries));
    for (const CDirEntry& item : entries) {
        const std::uint32_t expected =
            item.m_strName == "bin" ? (kAttrDirectory | kAttrSystem | kAttrHidden) : kAttrDirectory;
        EXPECT_EQ(item.m_attributes, expected) << item.m_strName;
    }
}

}  // namespace
}  // namespace quorrel::test

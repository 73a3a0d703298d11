// The Windows recycle bins: which drives have one, where the user's bin folder is, how the
// user's SID reads as text, and what the shell is asked. Pure rules over the facts a Win32
// backend reads from the system (drive mask, drive types, volume names, the token's SID, the
// shell's entry points), so that they are tested on any system.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RecycleBins.h"

namespace quorrel {

constexpr unsigned kDriveFixed = 3;                      // DRIVE_FIXED
constexpr std::uint32_t kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
constexpr std::uint32_t kErrorInvalidSid = 1337;         // ERROR_INVALID_SID
constexpr std::uint32_t kSidTextChars = 260;             // what the SID text is offered
constexpr unsigned kEmptyBinQuietly = 7;                 // no confirmation, no progress, no sound

// What the system says about its drives.
class IWindowsDriveFacts {
public:
    virtual ~IWindowsDriveFacts() = default;
    // Bit i set: drive 'A' + i is present.
    virtual std::uint32_t GetLogicalDrives() = 0;
    // The drive type of a root such as "C:\" (3 for a fixed drive).
    virtual unsigned GetDriveType(const std::string& root) = 0;
    // The volume's file-system name ("NTFS", "FAT32"...); false when it cannot be read.
    virtual bool GetFileSystemName(const std::string& root, std::string& name) = 0;
    // True when `path` (ending in a separator) is a real folder, not a link to one.
    virtual bool IsFolder(const std::string& path) = 0;
};

// A security identifier as the token holds it.
struct CSid {
    bool m_bValid = true;                       // what IsValidSid says
    std::array<std::uint8_t, 6> m_authority{};  // most significant byte first
    std::vector<std::uint32_t> m_subAuthorities;
};

// What the system says about the current process's user.
class IWindowsTokenFacts {
public:
    virtual ~IWindowsTokenFacts() = default;
    // Opens the process's access token for reading; false when it cannot be opened.
    virtual bool OpenProcessToken() = 0;
    // The token's user; false when it cannot be read.
    virtual bool GetTokenUser(CSid& sid) = 0;
};

// The shell library and its recycle-bin entry points.
class IWindowsShell {
public:
    virtual ~IWindowsShell() = default;
    // Loads "SHELL32.DLL"; false when it cannot be loaded.
    virtual bool Load() = 0;
    // True when the loaded library exports `name`.
    virtual bool HasEntryPoint(const char* name) = 0;
    // SHEmptyRecycleBinW for the drive `root` with `flags`. False when the shell reports a
    // failure; a bin that had nothing to empty is no failure.
    virtual bool EmptyRecycleBin(const std::string& root, unsigned flags) = 0;
    virtual void Free() = 0;
};

// The last scan's result, one entry per drive letter (index 0 is A).
struct CDriveTable {
    std::array<std::string, 26> m_driveRoot;  // "C:\" for a fixed drive, else empty
    std::array<int, 26> m_driveIsNtfs{};      // written for fixed drives only
};

// Fills `table` with the fixed drives: roots, and whether each is NTFS (letter case ignored;
// a volume whose name cannot be read counts as not NTFS). True when there is at least one
// fixed drive: a machine with FAT drives only still has their bins.
bool ScanFixedDrives(IWindowsDriveFacts& facts, CDriveTable& table);

// The SID in text form, "S-1-" + authority + "-" sub-authority each. `nLength` offers that many
// characters (terminator included) and receives the characters written (without it). Fails
// for an invalid SID (ERROR_INVALID_SID), and when 28 + 12 per sub-authority exceeds what was
// offered: then `nLength` receives that need and `nLastError` ERROR_INSUFFICIENT_BUFFER.
bool FormatSidText(const CSid& sid, std::string& text, std::uint32_t& nLength,
                   std::uint32_t& nLastError);

// Puts the current user's SID text into `sidText`: 0 done, 1 the token cannot be opened,
// 2 its user cannot be read, 3 the SID cannot be converted.
int GetUserSidText(IWindowsTokenFacts& token, std::string& sidText);

// The user's bin folder of a drive as the systems before Vista keep it: "<root>Recycler\<sid>\"
// on NTFS, "<root>RECYCLED\" else.
std::string WindowsBinFolder(const std::string& root, bool bNtfs, const std::string& sidText);

// The user's bin folder of a drive as Vista and later keep it, on any file system:
// "<root>$Recycle.Bin\<sid>\".
std::string RecycleBinFolder(const std::string& root, const std::string& sidText);

// The user's bin folder of a drive, newest layout first: the first of RecycleBinFolder and
// WindowsBinFolder that is a real folder; the newest when neither is (a bin never used).
// Without the user's SID (`sidText` empty) only the old FAT folder can be named.
std::string ChooseWindowsBinFolder(IWindowsDriveFacts& facts, const std::string& root, bool bNtfs,
                                   const std::string& sidText);

// True for the bin's own bookkeeping, left for the emptying: "INFO2" and "desktop.ini", and the
// "$I..." index files of the newer layout, in any letter case.
bool IsWindowsBinBookkeeping(const std::string& name);

// The Windows bins behind the recycle-bin interface.
class CWindowsRecycleBins final : public IRecycleBins {
public:
    CWindowsRecycleBins(IWindowsDriveFacts& drives, IWindowsTokenFacts& token, IWindowsShell& shell)
        : m_drives(drives), m_token(token), m_shell(shell) {}

    EBinAccess Open() override;
    void Close() override { m_shell.Free(); }
    bool Scan(std::vector<CBinLocation>& bins) override;
    bool BinFolder(const CBinLocation& bin, std::string& folder) override;
    bool IsBookkeeping(const std::string& name) const override {
        return IsWindowsBinBookkeeping(name);
    }
    bool Empty(const CBinLocation& bin) override {
        return m_shell.EmptyRecycleBin(bin.m_strRoot, kEmptyBinQuietly);
    }

private:
    IWindowsDriveFacts& m_drives;
    IWindowsTokenFacts& m_token;
    IWindowsShell& m_shell;
    CDriveTable m_table;
    std::string m_sidText;
};

}  // namespace quorrel

// The Win32 backend's open folder.
//
// A folder is held open by its handle, shared with readers and writers but not with renaming
// or deleting, so that neither it nor (on NTFS) any folder above it can be renamed while it is
// held. Its entries are opened by that handle (NtCreateFile relative to it, never by a path),
// each as itself (a link or junction is never followed), checked against what was listed
// (volume serial and file index), and only then changed or written; renames and deletions go
// through a handle of the entry itself. Listing and the free-space questions go by the
// folder's path. POSIX
// notions are given their Windows meaning: modes do not exist (access lists are left alone), the
// read-only attribute is real.
#include <vector>

#include "platform/win32/Win32Devices.h"
#include "platform/win32/Win32Support.h"

namespace quorrel::win32 {

namespace {

constexpr DWORD kShareHeldFolder = FILE_SHARE_READ | FILE_SHARE_WRITE;
// The attribute bits a file keeps that this program may set or clear.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Opens the entry `name` of the open folder `folder` (known by `folderPath`) as `how` asks,
// refusing a link that the handle went through to what it leads to (Wine's POSIX links): no
// handle, with kErrThroughLink set.
CHandle OpenOwn(HANDLE folder, const std::wstring& folderPath, const std::string& name,
                const CRelativeOpen& how) {
    CHandle h = OpenRelative(folder, name, how);
    if (h.IsValid() && LeadsElsewhere(h.Get(), ChildPath(folderPath, name))) {
        h.Reset();
        ::SetLastError(kErrThroughLink);
    }
    return h;
}

// Opens the entry `listed` of the open folder `folder` (known by `folderPath`) as itself, as
// `how` asks, and checks it is the one listed, leaving what it is now in `now`. No handle,
// with the error set, otherwise: kErrReplaced for another entry, kErrThroughLink for a link
// the handle went through (whatever would be done to it would be done to its target).
CHandle OpenListed(HANDLE folder, const std::wstring& folderPath, const CDirEntry& listed,
                   const CRelativeOpen& how, CDirEntry& now) {
    const std::wstring path = ChildPath(folderPath, listed.m_strName);
    CHandle h = OpenRelative(folder, listed.m_strName, how);
    if (!h.IsValid() || !DescribeHandle(h.Get(), listed.m_strName, now, path)) {
        return CHandle();
    }
    if (!IsSameEntry(now, listed)) {
        h.Reset();
        ::SetLastError(kErrReplaced);
    } else if ((now.m_attributes & kAttrReparsePoint) != 0 && LeadsElsewhere(h.Get(), path)) {
        h.Reset();
        ::SetLastError(kErrThroughLink);
    }
    return h;
}

// An open for reading or changing attributes, or with `nAccess` (DELETE to remove or rename).
CRelativeOpen ForAttributes(DWORD nAccess = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES) {
    CRelativeOpen how;
    how.nAccess = nAccess | FILE_READ_ATTRIBUTES;
    return how;
}

// The system's own name of the extended path `path` ("\\?\C:\x" is "\??\C:\x").
std::wstring NtPath(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 ? L"\\??\\" + path.substr(4) : path;
}

// Marks the open entry `h` for deletion: it goes when the handle is closed.
bool DeleteByHandle(HANDLE h) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) !=
           0;
}

// Writes `attributes` (the settable bits) to the open entry `h`, keeping its other bits.
bool WriteAttributes(HANDLE h, DWORD current, std::uint32_t attributes) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        return false;
    }
    DWORD wanted = (current & ~kSettableAttributes) | (attributes & kSettableAttributes);
    wanted &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                  FILE_ATTRIBUTE_DEVICE);
    if (wanted ==
        (current & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                       FILE_ATTRIBUTE_DEVICE))) {
        return true;
    }
    basic.FileAttributes = wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted;
    return ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) != 0;
}

class CWin32Folder final : public IFolder {
public:
    CWin32Folder(CHandle h, std::wstring path, const CDirEntry& self)
        : m_h(std::move(h)), m_strPath(std::move(path)), m_self(self) {}

    CFileId GetId() const override { return m_self.m_id; }
    std::uint64_t GetMount() const override { return m_self.m_nMount; }
    CVolumeFacts GetVolume() override {
        if (!m_bVolumeKnown) {  // asked for every file of the folder
            m_volume = VolumeOfHandle(m_h.Get());
            m_bVolumeKnown = true;
        }
        return m_volume;
    }
    // FAT keeps no journal. NTFS and ReFS do, whose size and head this backend does not read:
    // their journal is not written over, and the run says so.
    CJournalFacts GetJournal() override {
        CJournalFacts facts;
        const std::string type = GetVolume().m_strType;
        if (type == "FAT" || type == "FAT32" || type == "exFAT") {
            facts.m_eKind = EJournal::None;
        } else {
            facts.m_eWhy = EJournalWhy::NotReadOnThisSystem;
        }
        return facts;
    }

    bool List(std::vector<CDirEntry>& entries, CFileError& error) override {
        WIN32_FIND_DATAW found{};
        const std::wstring pattern = ChildPath(m_strPath, "*");
        const CFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                    FindExSearchNameMatch, nullptr, 0));
        if (!search.IsValid()) {
            error = LastError();
            return false;
        }
        entries.clear();
        do {
            const std::string name = Narrow(std::wstring(found.cFileName));
            if (IsDotName(name)) {
                continue;
            }
            CDirEntry entry;
            CFileError ignored;
            if (!Lookup(name, entry, ignored)) {
                entry.m_strName = name;  // gone or held since: the walk's open will say so
                entry.m_attributes = found.dwFileAttributes;
            }
            entries.push_back(std::move(entry));
        } while (::FindNextFileW(search.Get(), &found));
        const DWORD nEnd = ::GetLastError();
        if (nEnd != ERROR_NO_MORE_FILES) {
            error = Win32Error(nEnd);
            return false;
        }
        return true;
    }

    bool Lookup(const std::string& name, CDirEntry& entry, CFileError& error) override {
        const std::wstring path = ChildPath(m_strPath, name);
        CHandle h(OpenRelative(m_h.Get(), name, ForAttributes(0)));
        if (!h.IsValid() || !DescribeHandle(h.Get(), name, entry, path)) {
            error = LastError();
            return false;
        }
        if ((entry.m_attributes & kAttrReparsePoint) != 0) {
            entry.m_nMount = m_self.m_nMount;  // the link itself is an entry of this folder
        }
        return true;
    }

    std::unique_ptr<IFolder> OpenFolder(const CDirEntry& listed, CFileError& error) override {
        const std::wstring path = ChildPath(m_strPath, listed.m_strName);
        CRelativeOpen how;
        how.nAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
        how.nShare = kShareHeldFolder;
        CHandle h(OpenRelative(m_h.Get(), listed.m_strName, how));
        CDirEntry self;
        if (!h.IsValid() || !DescribeHandle(h.Get(), listed.m_strName, self, path)) {
            error = LastError();
            return nullptr;
        }
        // a link, a junction or a file where a folder was listed: something was swapped in
        if ((self.m_attributes & kAttrDirectory) == 0 || self.m_id != listed.m_id) {
            error = Win32Error(kErrReplaced);
            return nullptr;
        }
        return MakeFolder(std::move(h), path, self);
    }

    std::unique_ptr<IFolder> OpenParent(const CFileId& expected, CFileError& error) override {
        std::unique_ptr<IFolder> parent = OpenFolderAt(ParentPath(), error);
        if (parent && parent->GetId() != expected) {
            error = Win32Error(kErrReplaced);
            return nullptr;
        }
        return parent;
    }

    bool SetReadOnlyAndCheckSharing(const CDirEntry& listed, std::uint32_t attributes,
                                    CFileError& error) override {
        CDirEntry now;
        CHandle h(OpenListed(m_h.Get(), m_strPath, listed, ForAttributes(), now));
        if (!h.IsValid()) {
            error = LastError();
            return false;
        }
        if ((now.m_attributes & kAttrReparsePoint) != 0) {
            return true;  // a link is removed as an entry; its target is never touched
        }
        if (!WriteAttributes(h.Get(), now.m_attributes, attributes)) {
            error = LastError();
            return false;
        }
        h.Reset();
        // Nobody else may hold the file: an open that shares nothing proves it.
        CRelativeOpen exclusive;
        exclusive.nAccess = GENERIC_READ;
        exclusive.nShare = 0;
        CHandle probe(OpenListed(m_h.Get(), m_strPath, listed, exclusive, now));
        if (!probe.IsValid()) {
            error = LastError();
            return false;
        }
        return true;
    }

    bool SetAttributes(const CDirEntry& listed, std::uint32_t attributes) override {
        CDirEntry now;
        CHandle h(OpenListed(m_h.Get(), m_strPath, listed, ForAttributes(), now));
        return h.IsValid() && ((now.m_attributes & kAttrReparsePoint) != 0 ||
                               WriteAttributes(h.Get(), now.m_attributes, attributes));
    }

    // Windows keeps no mode bits: access lists are the owner's business and are left alone.
    bool OpenUp(std::uint32_t&) override { return false; }
    bool RestoreMode(std::uint32_t) override { return true; }

    std::unique_ptr<IFileHandle> OpenForWrite(const CDirEntry& listed,
                                              const std::string& displayPath,
                                              CFileError& error) override {
        CRelativeOpen writing;
        writing.nAccess = GENERIC_READ | GENERIC_WRITE;
        writing.nShare = 0;
        writing.bFile = true;
        CDirEntry now;
        CHandle h(OpenListed(m_h.Get(), m_strPath, listed, writing, now));
        if (!h.IsValid()) {
            error = LastError(displayPath);
            return nullptr;
        }
        // Links and special files are never written, and a read-only file is refused whoever
        // runs this (some systems let an administrator open one for writing).
        if (!IsPlainFile(now.m_attributes) || (now.m_attributes & kAttrReadOnly) != 0) {
            error = Win32Error(ERROR_ACCESS_DENIED, displayPath);
            return nullptr;
        }
        return MakeFile(std::move(h), FullPath(displayPath));
    }

    bool Rename(const std::string& from, const std::string& to, CFileError& error) override {
        CHandle h(OpenOwn(m_h.Get(), m_strPath, from, ForAttributes(DELETE)));
        return RenameByHandle(h, to, error);
    }

    // The handle is checked to be the entry listed, and it is the handle that is renamed:
    // nothing swapped in at the name is ever touched.
    bool RenameListed(const CDirEntry& listed, const std::string& to, CFileError& error) override {
        CDirEntry now;
        CHandle h(OpenListed(m_h.Get(), m_strPath, listed, ForAttributes(DELETE), now));
        return RenameByHandle(h, to, error);
    }

    // Deletes the entry (a link to a folder included, never what it points at) through a handle
    // of its own.
    bool Delete(const std::string& name, CFileError& error) override {
        CHandle h(OpenOwn(m_h.Get(), m_strPath, name, ForAttributes(DELETE)));
        return DeleteThrough(h, error);
    }

    bool DeleteListed(const CDirEntry& listed, const std::string& name,
                      CFileError& error) override {
        CDirEntry at = listed;
        at.m_strName = name;
        CDirEntry now;
        CHandle h(OpenListed(m_h.Get(), m_strPath, at, ForAttributes(DELETE), now));
        return DeleteThrough(h, error);
    }

    bool RemoveFolder(const std::string& name, CFileError& error) override {
        CRelativeOpen folder = ForAttributes(DELETE);
        folder.bFolder = true;
        CHandle h(OpenOwn(m_h.Get(), m_strPath, name, folder));
        if (!h.IsValid() || !DeleteByHandle(h.Get())) {
            error = LastError();
            return false;
        }
        return true;
    }

    bool GetSpace(CVolumeSpace& space, CFileError& error) override {
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER free{};
        DWORD nSectorsPerCluster = 0;
        DWORD nBytesPerSector = 0;
        DWORD nFreeClusters = 0;
        DWORD nClusters = 0;
        const std::wstring folder = m_strPath + L'\\';
        if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free)) {
            error = LastError();
            return false;
        }
        if (::GetDiskFreeSpaceW(folder.c_str(), &nSectorsPerCluster, &nBytesPerSector,
                                &nFreeClusters, &nClusters)) {
            space.m_nBlockBytes = static_cast<std::int64_t>(nSectorsPerCluster) * nBytesPerSector;
        }
        space.m_nTotalBytes = static_cast<std::int64_t>(total.QuadPart);
        space.m_nFreeBytes = static_cast<std::int64_t>(free.QuadPart);
        space.m_nAvailableBytes = static_cast<std::int64_t>(available.QuadPart);
        // Quotas are per user; there is no reserve that an administrator alone may fill.
        space.m_bMayUseReserve = false;
        DWORD nFlags = 0;
        space.m_bReadOnly = ::GetVolumeInformationByHandleW(m_h.Get(), nullptr, 0, nullptr, nullptr,
                                                            &nFlags, nullptr, 0) &&
                            (nFlags & FILE_READ_ONLY_VOLUME) != 0;
        return true;
    }

    bool SettleInPlace() override {
        // The volume's own flush (administrators only) writes everything the system holds for
        // it, a journal's blocks to the places they stand for included.
        std::wstring root;
        if (!VolumeRoot(root)) {
            return false;
        }
        root.pop_back();
        if (root.rfind(L"\\\\?\\", 0) == 0) {
            root.erase(0, 4);
        }
        const CHandle h(::CreateFileW((L"\\\\.\\" + root).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        return h.IsValid() && ::FlushFileBuffers(h.Get());
    }

    std::unique_ptr<IFolder> CreateNewFolder(const std::string& name, std::uint32_t,
                                             CFileError& error) override {
        // A new folder only: an existing entry of that name, a link included, is never opened.
        CRelativeOpen create;
        create.nAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
        create.nShare = kShareHeldFolder;
        create.bCreate = true;
        create.bFolder = true;
        CHandle h(OpenRelative(m_h.Get(), name, create));
        const std::wstring path = ChildPath(m_strPath, name);
        CDirEntry self;
        if (!h.IsValid() || !DescribeHandle(h.Get(), name, self, path)) {
            error = LastError();
            return nullptr;
        }
        return MakeFolder(std::move(h), path, self);
    }

    std::unique_ptr<IFileHandle> CreateNewFile(const std::string& name,
                                               const std::string& displayPath,
                                               CFileError& error) override {
        // A new file only: an existing entry of that name, a link included, is never opened.
        CRelativeOpen create;
        create.nAccess = GENERIC_READ | GENERIC_WRITE;
        create.nShare = 0;
        create.bCreate = true;
        create.bFile = true;
        CHandle h = OpenRelative(m_h.Get(), name, create);
        if (!h.IsValid()) {
            error = LastError(displayPath);
            return nullptr;
        }
        return MakeFile(std::move(h), FullPath(displayPath));
    }

    bool GetDevice(const CDirEntry& listed, CVolumeDevice& device) override {
        (void)listed;
        std::wstring root;
        return VolumeRoot(root) && DescribeVolumeDevice(root, device);
    }
    // Windows tells its drives what is free itself (Optimize Drives' retrim, on a schedule);
    // the call that asks for it at once belongs to the defragmenter's COM interface.
    CTrimResult TrimFreeSpace(std::int64_t, std::int64_t) override {
        CTrimResult result;
        result.m_strWhy =
            "Windows tells its drives itself; to have it done now, run Optimize Drives (or "
            "defrag with /L as an administrator)";
        return result;
    }

    std::unique_ptr<IFolder> OpenVolumeTop(std::string& topPath, CFileError& error) override {
        std::wstring rootPath;
        if (!VolumeRoot(rootPath)) {
            error = LastError();
            topPath.clear();
            return nullptr;
        }
        std::unique_ptr<IFolder> top = OpenFolderAt(rootPath, error);
        topPath = top ? Narrow(rootPath.rfind(L"\\\\?\\", 0) == 0 ? rootPath.substr(4) : rootPath)
                      : std::string();
        return top;
    }

private:
    // The root of the volume this folder is on, with one separator at its end. False (with
    // the system's last error set) when the system does not say.
    bool VolumeRoot(std::wstring& root) const {
        std::vector<wchar_t> name(m_strPath.size() + 2);
        const std::wstring folder = m_strPath + L'\\';
        if (!::GetVolumePathNameW(folder.c_str(), name.data(), static_cast<DWORD>(name.size()))) {
            return false;
        }
        root = name.data();
        while (!root.empty() && root.back() == L'\\') {
            root.pop_back();
        }
        root += L'\\';
        return true;
    }

    // Renames the open entry `h` to a name in this held folder; an existing name is never
    // replaced. (The new name is given as the folder's full path and the name: not every
    // system takes one relative to the folder's handle.)
    bool RenameByHandle(const CHandle& h, const std::string& to, CFileError& error) {
        if (to.empty() || to.find_first_of("\\/") != std::string::npos) {
            error = Win32Error(ERROR_INVALID_NAME);
            return false;
        }
        if (!h.IsValid()) {
            error = LastError();
            return false;
        }
        const std::wstring target = NtPath(ChildPath(m_strPath, to));
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = FALSE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), info->FileName);
        if (!::SetFileInformationByHandle(h.Get(), FileRenameInfo, info,
                                          static_cast<DWORD>(buffer.size()))) {
            error = LastError();
            return false;
        }
        return true;
    }

    // Marks the open entry `h` for deletion.
    static bool DeleteThrough(const CHandle& h, CFileError& error) {
        if (!h.IsValid() || !DeleteByHandle(h.Get())) {
            error = LastError();
            return false;
        }
        return true;
    }

    // The path of the folder above this one.
    std::wstring ParentPath() const {
        std::wstring path = m_strPath;
        while (path.size() > 1 && path.back() == L'\\') {
            path.pop_back();
        }
        const std::size_t cut = path.rfind(L'\\');
        return cut == std::wstring::npos ? path : path.substr(0, cut + 1);
    }

    CHandle m_h;
    std::wstring m_strPath;  // extended, without a trailing separator unless it is a root
    CDirEntry m_self;
    bool m_bVolumeKnown = false;
    CVolumeFacts m_volume;
};

}  // namespace

std::unique_ptr<IFolder> MakeFolder(CHandle h, std::wstring path, const CDirEntry& self) {
    return std::make_unique<CWin32Folder>(std::move(h), std::move(path), self);
}

std::unique_ptr<IFolder> OpenFolderAt(const std::wstring& path, CFileError& error) {
    CHandle h(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                            kShareHeldFolder, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr));
    CDirEntry self;
    if (!h.IsValid() || !DescribeHandle(h.Get(), std::string(), self)) {
        error = LastError();
        return nullptr;
    }
    if ((self.m_attributes & kAttrDirectory) == 0) {
        error = Win32Error(ERROR_DIRECTORY);
        return nullptr;
    }
    // The path the folder is known by, links in it resolved: what its entries are reached by.
    std::vector<wchar_t> finalPath(path.size() + MAX_PATH);
    DWORD nChars = ::GetFinalPathNameByHandleW(h.Get(), finalPath.data(),
                                               static_cast<DWORD>(finalPath.size()), 0);
    if (nChars >= finalPath.size()) {
        finalPath.resize(nChars + 1);
        nChars = ::GetFinalPathNameByHandleW(h.Get(), finalPath.data(),
                                             static_cast<DWORD>(finalPath.size()), 0);
    }
    std::wstring resolved = nChars == 0 ? path : std::wstring(finalPath.data(), nChars);
    while (resolved.size() > 7 && resolved.back() == L'\\') {
        resolved.pop_back();  // a root keeps its separator
    }
    if (resolved.size() == 6 && resolved[5] == L':') {
        resolved += L'\\';
    }
    return MakeFolder(std::move(h), resolved, self);
}

}  // namespace quorrel::win32

// The Win32 backend of the file layer: where a path from the user is resolved, once, into a
// held folder; everything below it goes through that folder (Win32Folder.cpp).
#include <vector>

#include "platform/win32/Win32Support.h"

namespace quorrel::win32 {

namespace {

// The root of the volume that holds the extended `path` ("\\?\C:\"), empty when unknown.
std::wstring VolumeRootOf(const std::wstring& path) {
    std::vector<wchar_t> root(path.size() + 2);
    if (!::GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        return std::wstring();
    }
    std::wstring text(root.data());
    if (text.rfind(L"\\\\?\\", 0) != 0) {
        text = ExtendedPath(Narrow(text));
    }
    return text;
}

// `path` with one trailing separator, for comparing folder paths.
std::wstring WithSeparator(std::wstring path) {
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

class CWin32FileSystem final : public IFileSystem {
public:
    std::unique_ptr<IFolder> OpenParentOf(const std::string& path, std::string& name,
                                          CFileError& error) override {
        name = LastPathPart(path);
        if (name.empty() || IsDotName(name) || PathRootLength(path) >= path.size()) {
            error = Win32Error(ERROR_BAD_PATHNAME);
            return nullptr;
        }
        return OpenFolderAt(ExtendedPath(ParentFolder(path)), error);
    }

    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data)) {
            error = LastError();
            return false;
        }
        status.m_attributes = data.dwFileAttributes;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            status.m_attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
        }
        status.m_size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        status.m_mode = 0;
        return true;
    }

    bool FindEntry(const std::string& path, CDirEntry& entry) override {
        return !path.empty() && !IsFileSystemRoot(path) && FindNamedEntry(*this, path, entry);
    }

    bool IsFileSystemRoot(const std::string& path) override {
        const std::wstring full = ExtendedPath(path);
        const std::wstring root = VolumeRootOf(full);
        return !root.empty() && WithSeparator(full) == WithSeparator(root);
    }

    std::unique_ptr<IFolder> OpenFolder(const std::string& path, CFileError& error) override {
        return OpenFolderAt(ExtendedPath(path), error);
    }
};

}  // namespace

}  // namespace quorrel::win32

namespace quorrel {

IFileSystem& SystemFileSystem() {
    static win32::CWin32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace quorrel

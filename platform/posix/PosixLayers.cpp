// Overlay layers and data journaling: found in the mount table and the file's flags.
#include "platform/posix/PosixLayers.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/posix/PosixSupport.h"

namespace quorrel::posix {

namespace {

std::vector<std::string> SplitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

// The path the open folder `fd` has in this process's view; empty when it has none.
std::string FolderPath(int fd) {
    const int procFd = ProcFdFolder();
    std::string target(4096, '\0');
    const ssize_t nLength =
        procFd < 0 ? -1
                   : ::readlinkat(procFd, std::to_string(fd).c_str(), &target[0], target.size());
    if (nLength <= 0 || static_cast<std::size_t>(nLength) >= target.size() || target[0] != '/') {
        return std::string();
    }
    target.resize(static_cast<std::size_t>(nLength));
    return target;
}

// The path of `folder` inside the file system mounted as `mount`; false when it is not in it.
bool PathInMount(const std::string& folder, const CMountRecord& mount, std::string& inside) {
    const std::string& point = mount.m_strMountPoint;
    std::string rest;
    if (point == "/") {
        rest = folder == "/" ? std::string() : folder;
    } else if (folder == point) {
        rest.clear();
    } else if (folder.compare(0, point.size() + 1, point + "/") == 0) {
        rest = folder.substr(point.size());
    } else {
        return false;
    }
    inside = (mount.m_strRoot == "/" ? std::string() : mount.m_strRoot) + rest;
    return true;
}

// A whiteout: the character device 0/0 an overlay marks a removed lower entry with.
bool IsWhiteout(const struct stat& st) {
    return S_ISCHR(st.st_mode) && st.st_rdev == 0;
}

bool HasOverlayXattr(const std::string& path, const char* name) {
    for (const char* prefix : {"trusted.overlay.", "user.overlay."}) {
        if (::lgetxattr(path.c_str(), (std::string(prefix) + name).c_str(), nullptr, 0) >= 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseMountInfoLine(const std::string& line, std::uint64_t& nId, CMountRecord& record) {
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) {
        return false;
    }
    std::istringstream head(line.substr(0, dash));
    std::string parent;
    std::string device;
    std::string root;
    std::string point;
    if (!(head >> nId >> parent >> device >> root >> point)) {
        return false;
    }
    std::istringstream tail(line.substr(dash + 3));
    std::string type;
    std::string source;
    std::string options;
    if (!(tail >> type >> source >> options)) {
        return false;
    }
    record.m_strRoot = DecodeMountField(root);
    record.m_strMountPoint = DecodeMountField(point);
    record.m_strType = type;
    record.m_strSource = DecodeMountField(source);
    record.m_superOptions.clear();
    for (const std::string& option : SplitOn(options, ',')) {
        record.m_superOptions.push_back(DecodeMountField(option));
    }
    return true;
}

bool MountRecord(std::uint64_t nMount, CMountRecord& record) {
    static std::mutex lock;
    static std::map<std::uint64_t, CMountRecord> records;
    const std::lock_guard<std::mutex> guard(lock);
    if (records.count(nMount) == 0) {
        std::ifstream table("/proc/self/mountinfo");
        std::string line;
        std::uint64_t nId = 0;
        CMountRecord read;
        while (std::getline(table, line)) {
            if (ParseMountInfoLine(line, nId, read)) {
                records[nId] = read;
            }
        }
    }
    const auto found = records.find(nMount);
    if (found == records.end()) {
        return false;
    }
    record = found->second;
    return true;
}

void OverlayLayers(const std::vector<std::string>& superOptions, std::vector<std::string>& lowers,
                   std::string& upper) {
    lowers.clear();
    upper.clear();
    std::vector<std::string> data;
    for (const std::string& option : superOptions) {
        if (option.rfind("lowerdir=", 0) == 0) {
            for (const std::string& layer : SplitOn(option.substr(9), ':')) {
                lowers.push_back(layer);
            }
        } else if (option.rfind("lowerdir+=", 0) == 0) {
            lowers.push_back(option.substr(10));
        } else if (option.rfind("datadir+=", 0) == 0) {
            data.push_back(option.substr(9));
        } else if (option.rfind("upperdir=", 0) == 0) {
            upper = option.substr(9);
        }
    }
    lowers.insert(lowers.end(), data.begin(), data.end());
}

EKeptCopy LayerCopyOf(int dirFd, const std::string& name) {
    CMountRecord mount;
    std::string inside;
    std::vector<std::string> lowers;
    std::string upper;
    if (!MountRecord(MountOf(dirFd), mount) || !PathInMount(FolderPath(dirFd), mount, inside)) {
        return EKeptCopy::MaybeLowerLayer;
    }
    OverlayLayers(mount.m_superOptions, lowers, upper);
    const std::string relative = inside + "/" + name;
    bool bLower = false;
    for (const std::string& layer : lowers) {
        struct stat st {};
        if (::lstat(layer.c_str(), &st) != 0) {
            return EKeptCopy::MaybeLowerLayer;  // a layer out of sight: it may hold the file
        }
        if (::lstat((layer + relative).c_str(), &st) == 0) {
            bLower = !IsWhiteout(st);
            break;  // the topmost layer that has the name decides
        }
    }
    struct stat st {};
    const std::string upperPath = upper + relative;
    if (!upper.empty() && ::lstat(upperPath.c_str(), &st) == 0 && !IsWhiteout(st)) {
        // Only the metadata was copied up: the data is still below.
        if (HasOverlayXattr(upperPath, "metacopy")) {
            return EKeptCopy::LowerLayer;
        }
        // Copied up, perhaps renamed since: the origin names the lower file it came from.
        const bool bFromBelow = bLower || HasOverlayXattr(upperPath, "origin");
        return bFromBelow ? EKeptCopy::AlsoLowerLayer : EKeptCopy::None;
    }
    return bLower ? EKeptCopy::LowerLayer : EKeptCopy::MaybeLowerLayer;
}

bool SettleFolderInPlace(int dirFd) {
    // ext4's request to write its journal out to the blocks it stands for (Linux 5.14).
    constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, std::uint32_t);
    const CFd fd(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return false;
    }
    bool bDone = ::fsync(fd.Get()) == 0;
    CMountRecord mount;
    if (bDone && MountRecord(MountOf(fd.Get()), mount) &&
        (mount.m_strType == "ext3" || mount.m_strType == "ext4")) {
        std::uint32_t flags = 0;
        bDone = ::ioctl(fd.Get(), kExt4Checkpoint, &flags) == 0;
    }
    return bDone;
}

EKeptCopy KeptCopyOf(int fd) {
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        if ((flags & FS_INLINE_DATA_FL) != 0) {
            return EKeptCopy::InlineData;
        }
        if ((flags & FS_JOURNAL_DATA_FL) != 0) {
            return EKeptCopy::Journal;
        }
    }
    CMountRecord mount;
    if (MountRecord(MountOf(fd), mount) &&
        (mount.m_strType == "ext3" || mount.m_strType == "ext4")) {
        for (const std::string& option : mount.m_superOptions) {
            if (option == "data=journal") {
                return EKeptCopy::Journal;
            }
        }
    }
    return EKeptCopy::None;
}

}  // namespace quorrel::posix

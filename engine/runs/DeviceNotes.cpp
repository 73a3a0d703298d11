#include "engine/runs/DeviceNotes.h"

#include "engine/log/LogLines.h"

namespace quorrel {

void CDeviceNotes::Note(IFolder& folder, const CDirEntry& listed) {
    if (!m_bEnabled) {
        return;
    }
    const std::uint64_t nMount = listed.m_nMount != 0 ? listed.m_nMount : folder.GetMount();
    if (!m_seen.emplace(nMount, listed.m_id.m_nVolume).second) {
        return;
    }
    CVolumeDevice device;
    if (folder.GetDevice(listed, device)) {
        m_devices.push_back(device);
    }
}

void CDeviceNotes::Say(CRunLog& log) {
    std::set<std::string> said;  // one line per device, however many mounts show it
    for (const CVolumeDevice& device : m_devices) {
        const std::string key =
            device.m_strSource.empty() ? device.m_strMountPoint : device.m_strSource;
        if (device.m_medium != EMedium::Flash || !said.insert(key).second) {
            continue;
        }
        if (device.m_bEncrypted == true) {
            log.Add(lines::FlashEncrypted(device.m_strMountPoint, device.m_strEncryption));
        } else {
            log.Warn(lines::FlashKeepsCopies(device.m_strMountPoint, DriveEraseCommand(device)));
        }
    }
}

}  // namespace quorrel

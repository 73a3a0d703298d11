// The words for the device facts, and the facts as lines for people.
#include "platform/DeviceFacts.h"

namespace quorrel {

namespace {

std::string OrUnknown(const std::optional<std::string>& value) {
    return value ? *value : "unknown";
}

std::string YesNo(const std::optional<bool>& value) {
    return value ? (*value ? "yes" : "no") : "unknown";
}

std::string MediumText(const std::optional<EMedium>& medium) {
    return medium ? MediumName(*medium) : "unknown";
}

}  // namespace

const char* MediumName(EMedium medium) {
    switch (medium) {
        case EMedium::Flash:
            return "flash";
        case EMedium::Rotating:
            return "rotating";
        case EMedium::Memory:
            return "memory";
    }
    return "unknown";
}

const char* TransportName(ETransport transport) {
    switch (transport) {
        case ETransport::Sata:
            return "SATA";
        case ETransport::Nvme:
            return "NVMe";
        case ETransport::Usb:
            return "USB";
        case ETransport::Mmc:
            return "MMC";
        case ETransport::Virtio:
            return "virtio";
        case ETransport::Scsi:
            return "SCSI";
    }
    return "unknown";
}

const char* LayerName(ELayer layer) {
    switch (layer) {
        case ELayer::Partition:
            return "partition";
        case ELayer::Loop:
            return "loop";
        case ELayer::DeviceMapper:
            return "device-mapper";
        case ELayer::Crypt:
            return "dm-crypt";
        case ELayer::Raid:
            return "md";
        case ELayer::Drive:
            return "drive";
    }
    return "unknown";
}

std::string FormatVolumeDevice(const CVolumeDevice& device) {
    std::string text =
        device.m_strMountPoint + " (" + device.m_strFileSystem + " on " + device.m_strSource +
        "): medium " + MediumText(device.m_medium) + ", discard " + YesNo(device.m_bDiscard) +
        ", encryption layer " + YesNo(device.m_bEncrypted) +
        (device.m_strEncryption.empty() ? "" : " (" + device.m_strEncryption + ")") + "\n";
    for (const CDeviceLayer& layer : device.m_chain) {
        text += std::string(2 + 2 * static_cast<std::size_t>(layer.m_nDepth), ' ') +
                LayerName(layer.m_eKind) + " " + layer.m_strName +
                (layer.m_strDetail.empty() ? "" : " (" + layer.m_strDetail + ")") +
                (layer.m_medium ? std::string(" says ") + MediumName(*layer.m_medium) : "") + "\n";
    }
    for (const CDriveFacts& drive : device.m_drives) {
        text += "  drive " + drive.m_strName + ": model " + OrUnknown(drive.m_model) + ", serial " +
                OrUnknown(drive.m_serial) + ", transport " +
                (drive.m_transport ? TransportName(*drive.m_transport) : "unknown") + ", " +
                MediumText(drive.m_medium) + ", removable " + YesNo(drive.m_bRemovable) +
                ", discard " + YesNo(drive.m_bDiscard) + "\n";
    }
    if (device.m_chain.empty()) {
        text += "  no block device found\n";
    }
    return text;
}

}  // namespace quorrel

// The device facts of a Windows volume: the disks its extents lie on, and what each disk's
// storage driver answers IOCTL_STORAGE_QUERY_PROPERTY with (model, serial, bus, whether it
// incurs a seek penalty, whether it takes TRIM). Every query works without administrator
// rights; one that fails leaves its fact unknown. BitLocker's state is not asked: the only
// ways to ask it need administrator rights or COM, so it stays unknown.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Win32Devices.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Support.h"

namespace quorrel::win32 {

namespace {

// Opens a volume or disk for queries only (no read or write access is needed for them).
CHandle OpenForQueries(const std::wstring& device) {
    return CHandle(::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
}

// Asks the storage driver behind `h` for the property `id`; false when it does not answer.
bool QueryProperty(HANDLE h, STORAGE_PROPERTY_ID id, std::vector<BYTE>& answer) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = id;
    query.QueryType = PropertyStandardQuery;
    answer.assign(1024, 0);
    DWORD nReturned = 0;
    return ::DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer.data(),
                             static_cast<DWORD>(answer.size()), &nReturned, nullptr) &&
           nReturned >= sizeof(DWORD) * 2;
}

// The text at `nOffset` of a device descriptor, trimmed; none at offset 0 or when empty.
std::optional<std::string> DescriptorText(const std::vector<BYTE>& answer, DWORD nOffset) {
    if (nOffset == 0 || nOffset >= answer.size()) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = nOffset; i < answer.size() && answer[i] != 0; ++i) {
        text += static_cast<char>(answer[i]);
    }
    const std::size_t nStart = text.find_first_not_of(' ');
    if (nStart == std::string::npos) {
        return std::nullopt;
    }
    return text.substr(nStart, text.find_last_not_of(' ') - nStart + 1);
}

std::optional<ETransport> TransportOfBus(STORAGE_BUS_TYPE bus) {
    switch (bus) {
        case BusTypeSata:
        case BusTypeAta:
            return ETransport::Sata;
        case BusTypeNvme:
            return ETransport::Nvme;
        case BusTypeUsb:
            return ETransport::Usb;
        case BusTypeSd:
        case BusTypeMmc:
            return ETransport::Mmc;
        case BusTypeScsi:
        case BusTypeSas:
            return ETransport::Scsi;
        default:
            return std::nullopt;
    }
}

// What the disk behind `h` answers of itself.
CDriveFacts ReadDrive(HANDLE h, const std::string& name) {
    CDriveFacts drive;
    drive.m_strName = name;
    std::vector<BYTE> answer;
    if (QueryProperty(h, StorageDeviceProperty, answer) &&
        answer.size() >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
        const auto* pDescriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer.data());
        const std::optional<std::string> vendor =
            DescriptorText(answer, pDescriptor->VendorIdOffset);
        drive.m_model = DescriptorText(answer, pDescriptor->ProductIdOffset);
        if (drive.m_model && vendor) {
            drive.m_model = *vendor + " " + *drive.m_model;
        }
        drive.m_serial = DescriptorText(answer, pDescriptor->SerialNumberOffset);
        drive.m_transport = TransportOfBus(pDescriptor->BusType);
        drive.m_bRemovable = pDescriptor->RemovableMedia != FALSE;
    }
    if (QueryProperty(h, StorageDeviceSeekPenaltyProperty, answer) &&
        answer.size() >= sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR)) {
        const auto* pPenalty =
            reinterpret_cast<const DEVICE_SEEK_PENALTY_DESCRIPTOR*>(answer.data());
        drive.m_medium = pPenalty->IncursSeekPenalty ? EMedium::Rotating : EMedium::Flash;
    }
    if (QueryProperty(h, StorageDeviceTrimProperty, answer) &&
        answer.size() >= sizeof(DEVICE_TRIM_DESCRIPTOR)) {
        drive.m_bDiscard =
            reinterpret_cast<const DEVICE_TRIM_DESCRIPTOR*>(answer.data())->TrimEnabled != FALSE;
    }
    return drive;
}

// The disk numbers the volume's extents lie on, in order, each once.
std::vector<DWORD> DisksOf(HANDLE volume) {
    std::vector<BYTE> answer(sizeof(VOLUME_DISK_EXTENTS) + 31 * sizeof(DISK_EXTENT));
    DWORD nReturned = 0;
    std::vector<DWORD> disks;
    if (!::DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, answer.data(),
                           static_cast<DWORD>(answer.size()), &nReturned, nullptr)) {
        return disks;
    }
    const auto* pExtents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(answer.data());
    for (DWORD i = 0; i < pExtents->NumberOfDiskExtents && i < 32; ++i) {
        const DWORD nDisk = pExtents->Extents[i].DiskNumber;
        if (std::find(disks.begin(), disks.end(), nDisk) == disks.end()) {
            disks.push_back(nDisk);
        }
    }
    return disks;
}

}  // namespace

bool DescribeVolumeDevice(const std::wstring& root, CVolumeDevice& device) {
    device = CVolumeDevice();
    std::wstring shown = root.rfind(L"\\\\?\\", 0) == 0 ? root.substr(4) : root;
    device.m_strMountPoint = Narrow(shown);
    wchar_t type[MAX_PATH + 1] = {};
    if (::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, type,
                                MAX_PATH + 1)) {
        device.m_strFileSystem = Narrow(std::wstring(type));
    }
    while (!shown.empty() && shown.back() == L'\\') {
        shown.pop_back();
    }
    const std::wstring volumeName = L"\\\\.\\" + shown;  // "\\.\C:"
    device.m_strSource = Narrow(volumeName);
    const CHandle volume = OpenForQueries(volumeName);
    if (!volume.IsValid()) {
        return true;  // nothing known beyond its name and file system
    }
    CDeviceLayer top;
    top.m_eKind = ELayer::Partition;
    top.m_strName = Narrow(shown);
    device.m_chain.push_back(top);
    std::vector<DWORD> disks = DisksOf(volume.Get());
    for (const DWORD nDisk : disks) {
        const std::string name = "PhysicalDrive" + std::to_string(nDisk);
        const CHandle disk = OpenForQueries(L"\\\\.\\" + Widen(name));
        CDeviceLayer layer;
        layer.m_strName = name;
        layer.m_nDepth = 1;
        device.m_chain.push_back(layer);
        CDriveFacts unknown;
        unknown.m_strName = name;
        device.m_drives.push_back(disk.IsValid() ? ReadDrive(disk.Get(), name) : unknown);
    }
    if (disks.empty()) {  // the volume's own driver passes storage queries down to its disk
        CDeviceLayer layer;
        layer.m_strName = "the disk of " + Narrow(shown);
        layer.m_nDepth = 1;
        device.m_chain.push_back(layer);
        device.m_drives.push_back(ReadDrive(volume.Get(), layer.m_strName));
    }
    bool bAllRotating = true;
    for (const CDriveFacts& drive : device.m_drives) {
        if (drive.m_medium == EMedium::Flash) {
            device.m_medium = EMedium::Flash;
        }
        bAllRotating = bAllRotating && drive.m_medium == EMedium::Rotating;
        device.m_bDiscard = drive.m_bDiscard;
    }
    if (!device.m_medium && bAllRotating) {
        device.m_medium = EMedium::Rotating;
    }
    return true;
}

}  // namespace quorrel::win32

namespace quorrel {

std::string DriveEraseCommand(const CVolumeDevice& device) {
    (void)device;
    return "for this drive: the sanitize or secure-erase function of its maker's tool";
}

}  // namespace quorrel

// What a volume is stored on: the chain of block devices from the file system down to the
// drives, and what the drives tell about themselves. One place computes these facts; the flash
// line of a run, WIPE Free Space's TRIM and a run's receipt all read them.
//
// Anything the system does not tell is left unknown (an empty optional), never guessed: a
// drive that reports itself rotating is taken at its word, as is one that reports itself flash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// What a drive keeps its data on.
enum class EMedium {
    Flash,     // cells the drive remaps on its own (SSD, stick, card): old copies may stay
    Rotating,  // a spinning disk, or a virtual disk that says it is one
    Memory,    // a RAM disk (zram, brd): nothing outlives a power cut
};

// How a drive is attached.
enum class ETransport { Sata, Nvme, Usb, Mmc, Virtio, Scsi };

// One device between the file system and its drives.
enum class ELayer {
    Partition,     // a part of the device below
    Loop,          // a file made into a device: the file's own volume lies below
    DeviceMapper,  // a mapping (LVM, a linear or striped map, ...)
    Crypt,         // device-mapper's dm-crypt: everything below is encrypted
    Raid,          // md: several devices below
    Drive,         // the bottom: a drive, as the system sees it
};

// One device of the chain.
struct CDeviceLayer {
    ELayer m_eKind = ELayer::Drive;
    std::string m_strName;    // the system's name for it ("nvme0n1p2", "dm-0", "PhysicalDrive0")
    std::string m_strDetail;  // Loop: its backing file; DeviceMapper/Crypt: the map's name;
                              // Raid: its level ("raid1")
    int m_nDepth = 0;         // 0 for the device the file system sits on, 1 below it, ...
    std::optional<EMedium> m_medium;  // what the device says of itself (a loop device's own)
};

// The facts of one drive at the bottom of a chain.
struct CDriveFacts {
    std::string m_strName;  // as in its layer
    std::optional<std::string> m_model;
    std::optional<std::string> m_serial;
    std::optional<ETransport> m_transport;
    std::optional<EMedium> m_medium;
    std::optional<bool> m_bRemovable;
    std::optional<bool> m_bDiscard;  // the drive takes discards (TRIM, UNMAP, erase)
};

// Everything known of the device a volume is stored on.
struct CVolumeDevice {
    std::string m_strMountPoint;  // where the file system is mounted ("C:\" on Windows)
    std::string m_strFileSystem;  // its type
    std::string m_strSource;      // what was mounted, as the mount table says
    // Top first: the device the file system sits on, then what lies below it, depth first
    // (a loop device's backing volume follows the loop layer). Empty where no block device
    // holds the file system (tmpfs, a network or FUSE file system) or none could be found.
    std::vector<CDeviceLayer> m_chain;
    std::vector<CDriveFacts> m_drives;  // the bottom of each branch, in chain order
    // Flash when any drive below is (a mirror with one SSD keeps copies there); rotating or
    // memory when every drive is; unknown otherwise.
    std::optional<EMedium> m_medium;
    // The device the file system sits on passes discards down (what FITRIM needs).
    std::optional<bool> m_bDiscard;
    // An encryption layer lies between the file system and the drives (dm-crypt, BitLocker,
    // an encrypting file system). Unknown when the chain could not be followed to its end.
    std::optional<bool> m_bEncrypted;
    std::string m_strEncryption;  // what encrypts, when m_bEncrypted ("dm-crypt")
};

// The words the log and the receipt use for the facts.
const char* MediumName(EMedium medium);           // "flash", "rotating", "memory"
const char* TransportName(ETransport transport);  // "SATA", "NVMe", "USB", "MMC", "virtio", "SCSI"
const char* LayerName(ELayer layer);  // "partition", "loop", "device-mapper", "dm-crypt", ...

// The facts as lines for people: the volume, each layer indented by its depth, each drive's
// facts, "unknown" for what is not known. For diagnostics and the tests' records.
std::string FormatVolumeDevice(const CVolumeDevice& device);

// The drive's own command that reaches every cell of the drive below `device` (its sanitize,
// secure erase or secure discard), named for people: this program never runs it. The system's
// backend names its own tools.
std::string DriveEraseCommand(const CVolumeDevice& device);

}  // namespace quorrel

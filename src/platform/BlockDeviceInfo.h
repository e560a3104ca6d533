// Which block devices are memory cards, decided from sysfs before any
// device is opened. A whole disk is a card reader's disk only when it is a
// removable SCSI direct-access disk (USB and built-in card readers) or an
// MMC block device whose card type is SD. Everything else is never a card:
// eMMC and its boot and RPMB areas, optical drives, fixed disks, NVMe,
// virtio, loop, zram, RAM, device-mapper, md and nbd devices.
// `sysRoot` is the folder laid out like /sys (tests build their own).
#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr const char* kSysRoot = "/sys";

// A card reader's disk that holds a medium.
struct CardCandidate {
    std::string name;           // kernel name, as in /sys/block and /dev
    std::uint64_t sizeBytes = 0;
    std::string model = {};     // DiskModel: what the card list calls the reader
};

// True when the whole disk `name` of sysRoot/block is a card reader's disk
// (with or without a medium).
bool IsCardReaderDisk(const std::string& name, const std::string& sysRoot = kSysRoot);

// The card reader's disks that hold a medium (size above 0), in name order.
std::vector<CardCandidate> CardCandidates(const std::string& sysRoot = kSysRoot);

// The kernel name of block device `device` (a whole disk or a partition),
// "" when sysfs does not know it.
std::string BlockDeviceName(dev_t device, const std::string& sysRoot = kSysRoot);

// The kernel name behind a device node path: the sysfs name of a block
// device node, else the file name of the path with links resolved.
std::string DeviceNodeName(const std::string& path, const std::string& sysRoot = kSysRoot);

// True when `path` is a block device that is not a card reader's disk (a
// fixed disk, a partition, an eMMC...): such a device is never opened.
bool IsNonCardBlockDevice(const std::string& path, const std::string& sysRoot = kSysRoot);

// The kernel's disk sequence number of whole disk `name` (sysRoot/block/
// NAME/diskseq): a new number whenever a medium is inserted or a disk
// appears, so that a number stays with one card in one reader. 0 when the
// kernel does not give one.
std::uint64_t DiskSequence(const std::string& name, const std::string& sysRoot = kSysRoot);
// The size in bytes of whole disk `name` as sysfs gives it; 0 when unknown.
std::uint64_t DiskSizeBytes(const std::string& name, const std::string& sysRoot = kSysRoot);
// What whole disk `name` calls itself: its device's vendor and model (a
// card reader's, "Generic SD/MMC"), else its device's name (an SD card in
// an MMC slot names itself), blanks trimmed; "" when sysfs tells neither.
std::string DiskModel(const std::string& name, const std::string& sysRoot = kSysRoot);
// True when sysfs shows whole disk `name` read-only (sysRoot/block/NAME/ro
// is 1): a card whose lock switch is set, or a reader that cannot write it.
bool DiskWriteProtected(const std::string& name, const std::string& sysRoot = kSysRoot);

// The drive table: the devices a card may be on, numbered from 0. Card
// images named in the settings (section "Cards", keys "Image1" to "Image15",
// in key order) come first, then the card readers' disks that hold a card
// (BlockDeviceInfo.h: never a fixed disk, eMMC or optical drive), in name
// order. At most 15 drives.
#pragma once
#include "BlockDeviceInfo.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kMaxDrives = 15;

struct DriveEntry {
    std::string path;
    bool image = false;          // a card image file (always counts as removable)
    std::uint64_t sizeBytes = 0; // the disk's size as sysfs gives it; 0 for images
};

// `sysRoot` is the folder laid out like /sys that the card readers are
// looked up in.
std::vector<DriveEntry> BuildDriveTable(const std::string& sysRoot = kSysRoot);

// Replaces the list of card readers' disks (tests run without the host's
// disks).
void SetBlockDeviceListForTests(const std::vector<std::string>* paths);

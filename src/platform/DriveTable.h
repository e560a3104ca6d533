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
    std::string model = {};      // what sysfs calls the reader (DiskModel); "" for images
};

// The images of the settings, then `cardReaders` (CardCandidates).
std::vector<DriveEntry> BuildDriveTable(const std::vector<CardCandidate>& cardReaders);

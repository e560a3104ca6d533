// The drive table: the devices a card may be on, numbered from 0. Card
// images named in the settings (section "Cards", keys "Image1" to "Image15",
// in key order) come first, then the whole-disk block devices of /sys/block
// in name order. At most 15 drives.
#pragma once
#include <string>
#include <vector>

inline constexpr int kMaxDrives = 15;

struct DriveEntry {
    std::string path;
    bool image = false;  // a card image file (always counts as removable)
};

std::vector<DriveEntry> BuildDriveTable();

// Replaces the list of whole disks (tests run without the host's disks).
void SetBlockDeviceListForTests(const std::vector<std::string>* paths);

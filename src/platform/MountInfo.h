// Where a disk is mounted: the mount point of the disk itself or of one of
// its partitions, from the kernel's mount table (/proc/self/mountinfo).
// Used to tell the user which folder to unmount before a card can be used.
#pragma once
#include "BlockDeviceInfo.h"

#include <string>

inline constexpr const char* kMountInfo = "/proc/self/mountinfo";

// The first mount point of whole disk `name` (sysRoot/block/NAME) or of
// one of its partitions; "" when none is mounted.
std::string MountPointOfDisk(const std::string& name, const std::string& sysRoot = kSysRoot,
                             const std::string& mountInfo = kMountInfo);

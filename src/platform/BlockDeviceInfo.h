// Facts about block devices read from sysfs: whether a disk is removable
// media, and the list of whole disks.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

// True when sysfs says the disk is removable, or it sits in an SD/MMC slot.
bool IsRemovableBlockDevice(dev_t device);

// /dev paths of the whole disks in /sys/block, in name order. `sysRoot`
// lets tests use a folder laid out like /sys/block.
std::vector<std::string> WholeDiskPaths(const std::string& sysBlock = "/sys/block");

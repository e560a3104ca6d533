#include "BlockDeviceInfo.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fstream>
#include <sys/sysmacros.h>
#include <unistd.h>

bool IsRemovableBlockDevice(dev_t device)
{
    const std::string base = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
                             std::to_string(minor(device));
    std::ifstream in(base + "/removable");
    int removable = 0;
    if (in >> removable && removable == 1)
        return true;
    // SD and MMC cards in a built-in slot report removable 0; their sysfs
    // path runs through the mmc host.
    char target[PATH_MAX];
    ssize_t n = readlink(base.c_str(), target, sizeof target - 1);
    if (n > 0) {
        std::string t(target, static_cast<std::size_t>(n));
        if (t.find("/mmc_host/") != std::string::npos || t.find("/mmcblk") != std::string::npos)
            return true;
    }
    return false;
}

std::vector<std::string> WholeDiskPaths(const std::string& sysBlock)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(sysBlock.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    for (const std::string& n : names)
        paths.push_back("/dev/" + n);
    return paths;
}

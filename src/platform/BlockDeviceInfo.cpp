#include "BlockDeviceInfo.h"

#include "SysfsAttribute.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <regex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The first word of a sysfs attribute file, "" when it cannot be read.
std::string ReadAttribute(const std::string& file)
{
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// SCSI peripheral types the disk driver serves as plain disks: direct
// access (0) and simplified direct access (14). CD/DVD drives are 5.
bool IsScsiDiskType(const std::string& type)
{
    return type == "0" || type == "14";
}

} // namespace

bool IsCardReaderDisk(const std::string& name, const std::string& sysRoot)
{
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.')
        return false;
    const std::string disk = sysRoot + "/block/" + name;
    const std::string type = ReadAttribute(disk + "/device/type");
    // An SD card in an MMC slot; its siblings mmcblkNbootM and mmcblkNrpmb
    // belong to eMMC chips, whose type is "MMC".
    static const std::regex mmcDisk("mmcblk[0-9]+");
    if (std::regex_match(name, mmcDisk))
        return type == "SD";
    // A card reader's slot: removable media on the SCSI disk driver.
    return ReadAttribute(disk + "/removable") == "1" && IsScsiDiskType(type);
}

std::vector<CardCandidate> CardCandidates(const std::string& sysRoot)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir((sysRoot + "/block").c_str())) {
        while (dirent* e = readdir(dir))
            names.emplace_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<CardCandidate> cards;
    for (const std::string& name : names) {
        if (!IsCardReaderDisk(name, sysRoot))
            continue;
        // sysfs counts the size in 512-byte sectors; 0 is a reader without
        // a card.
        const std::string size = ReadAttribute(sysRoot + "/block/" + name + "/size");
        const unsigned long long sectors = std::strtoull(size.c_str(), nullptr, 10);
        if (sectors == 0)
            continue;
        cards.push_back(CardCandidate{name, sectors * 512ull, DiskModel(name, sysRoot)});
    }
    return cards;
}

std::string BlockDeviceName(dev_t device, const std::string& sysRoot)
{
    const std::string link = sysRoot + "/dev/block/" + std::to_string(major(device)) + ":" +
                             std::to_string(minor(device));
    char target[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return "";
    return BaseName(std::string(target, static_cast<std::size_t>(n)));
}

std::string DeviceNodeName(const std::string& path, const std::string& sysRoot)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
        const std::string name = BlockDeviceName(st.st_rdev, sysRoot);
        if (!name.empty())
            return name;
    }
    if (char* real = realpath(path.c_str(), nullptr)) {
        const std::string name = BaseName(real);
        std::free(real);
        return name;
    }
    return BaseName(path);
}

bool IsNonCardBlockDevice(const std::string& path, const std::string& sysRoot)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode))
        return false;
    // A partition's name is not a whole disk of /sys/block.
    return !IsCardReaderDisk(BlockDeviceName(st.st_rdev, sysRoot), sysRoot);
}

namespace {

// A number of whole disk `name`'s sysfs folder; 0 when unknown.
std::uint64_t DiskNumber(const std::string& name, const std::string& sysRoot, const char* attribute)
{
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.')
        return 0;
    const std::string text = ReadAttribute(sysRoot + "/block/" + name + "/" + attribute);
    return text.empty() ? 0 : std::strtoull(text.c_str(), nullptr, 10);
}

} // namespace

std::uint64_t DiskSequence(const std::string& name, const std::string& sysRoot)
{
    return DiskNumber(name, sysRoot, "diskseq");
}

std::uint64_t DiskSizeBytes(const std::string& name, const std::string& sysRoot)
{
    // sysfs counts the size in 512-byte sectors.
    return DiskNumber(name, sysRoot, "size") * 512u;
}

bool DiskWriteProtected(const std::string& name, const std::string& sysRoot)
{
    return DiskNumber(name, sysRoot, "ro") == 1;
}

std::string DiskModel(const std::string& name, const std::string& sysRoot)
{
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.')
        return "";
    const std::string device = sysRoot + "/block/" + name + "/device";
    const std::string vendor = ReadSysfsLine(device + "/vendor");
    std::string model = ReadSysfsLine(device + "/model");
    if (model.empty())
        model = ReadSysfsLine(device + "/name");
    if (vendor.empty())
        return model;
    return model.empty() ? vendor : vendor + " " + model;
}

#include "ChosenCard.h"

#include "BlockDeviceInfo.h"

#include <sys/stat.h>

ChosenCard IdentifyCard(const std::string& path, std::uint64_t sizeBytes, const std::string& sysRoot)
{
    ChosenCard card;
    card.path = path;
    card.sizeBytes = sizeBytes;
    // An image file has no disk of its own in sysfs: its number stays 0.
    card.diskSequence = DiskSequence(DeviceNodeName(path, sysRoot), sysRoot);
    return card;
}

ChosenCard PresentCard(const std::string& path, std::uint64_t openSize, const std::string& sysRoot)
{
    std::uint64_t size = openSize;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        size = static_cast<std::uint64_t>(st.st_size);
    } else if (const std::uint64_t sysfsSize = DiskSizeBytes(DeviceNodeName(path, sysRoot), sysRoot); sysfsSize != 0) {
        size = sysfsSize;
    }
    return IdentifyCard(path, size, sysRoot);
}

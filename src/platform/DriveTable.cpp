#include "DriveTable.h"

#include "BlockDeviceInfo.h"
#include "Settings.h"

namespace {
const std::vector<std::string>* g_testDisks = nullptr;
}

void SetBlockDeviceListForTests(const std::vector<std::string>* paths) { g_testDisks = paths; }

std::vector<DriveEntry> BuildDriveTable()
{
    std::vector<DriveEntry> table;
    for (int i = 1; i <= kMaxDrives; ++i) {
        std::string image = GetProfileString("Cards", "Image" + std::to_string(i), "");
        if (!image.empty())
            table.push_back(DriveEntry{image, true});
    }
    const std::vector<std::string> disks = g_testDisks ? *g_testDisks : WholeDiskPaths();
    for (const std::string& d : disks)
        table.push_back(DriveEntry{d, false});
    if (table.size() > static_cast<std::size_t>(kMaxDrives))
        table.resize(kMaxDrives);
    return table;
}

#include "DriveTable.h"

#include "Settings.h"

namespace {
const std::vector<std::string>* g_testDisks = nullptr;
}

void SetBlockDeviceListForTests(const std::vector<std::string>* paths) { g_testDisks = paths; }

std::vector<DriveEntry> BuildDriveTable(const std::string& sysRoot)
{
    std::vector<DriveEntry> table;
    for (int i = 1; i <= kMaxDrives; ++i) {
        std::string image = GetProfileString("Cards", "Image" + std::to_string(i), "");
        if (!image.empty())
            table.push_back(DriveEntry{image, true, 0});
    }
    if (g_testDisks != nullptr) {
        for (const std::string& d : *g_testDisks)
            table.push_back(DriveEntry{d, false, 0});
    } else {
        for (const CardCandidate& card : CardCandidates(sysRoot))
            table.push_back(DriveEntry{"/dev/" + card.name, false, card.sizeBytes});
    }
    if (table.size() > static_cast<std::size_t>(kMaxDrives))
        table.resize(kMaxDrives);
    return table;
}

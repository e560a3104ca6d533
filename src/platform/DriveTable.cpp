#include "DriveTable.h"

#include "Settings.h"

std::vector<DriveEntry> BuildDriveTable(const std::vector<CardCandidate>& cardReaders)
{
    std::vector<DriveEntry> table;
    for (int i = 1; i <= kMaxDrives; ++i) {
        std::string image = GetProfileString("Cards", "Image" + std::to_string(i), "");
        if (!image.empty())
            table.push_back(DriveEntry{image, true, 0});
    }
    for (const CardCandidate& card : cardReaders)
        table.push_back(DriveEntry{"/dev/" + card.name, false, card.sizeBytes, card.model});
    if (table.size() > static_cast<std::size_t>(kMaxDrives))
        table.resize(kMaxDrives);
    return table;
}

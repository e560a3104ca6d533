// Card discovery over the drive table.
#include "CardDiscovery.h"

#include "CDisk.h"
#include "DriveTable.h"

#include <cstdio>

CardDiscovery DiscoverCards()
{
    CardDiscovery found;
    const std::vector<DriveEntry> drives = BuildDriveTable();
    for (int index = 0; index < kMaxDrives && index < static_cast<int>(drives.size()); ++index) {
        CDisk probe;
        const int result = probe.Open(index);
        if (result == kOpenDenied)
            found.accessDenied = true;
        if (result != kOpenOk)
            continue;
        CardListEntry entry;
        entry.index = index;
        entry.sizeMB = probe.SizeMB();
        entry.path = drives[static_cast<std::size_t>(index)].path;
        char text[48];
        std::snprintf(text, sizeof text, "CARD%d  (%u MB)", index + 1, entry.sizeMB);
        entry.text = text;
        found.cards.push_back(entry);
    }
    return found;
}

// Card discovery over the drive table.
#include "CardDiscovery.h"

#include "CDisk.h"
#include "DriveTable.h"
#include "Environment.h"

#include <cstdio>

CardDiscovery DiscoverCards(const CEnvironment& env)
{
    CardDiscovery found;
    const std::vector<DriveEntry> drives = BuildDriveTable(env.cardReaders());
    for (int index = 0; index < kMaxDrives && index < static_cast<int>(drives.size()); ++index) {
        const DriveEntry& drive = drives[static_cast<std::size_t>(index)];
        CDisk probe(env);
        // Only read: closing a descriptor that could write would make the
        // system read the card's partitions again (and a desktop mount them).
        const int result = probe.OpenDrive(drive, index, kCardRead);
        if (result == kOpenDenied)
            found.accessDenied = true;
        if (result != kOpenOk && !probe.InUse())
            continue;
        CardListEntry entry;
        entry.index = index;
        // A card in use was not opened: its size is the one sysfs gives.
        entry.sizeMB = probe.InUse() ? static_cast<unsigned>(drive.sizeBytes / 1048576u) : probe.SizeMB();
        entry.sizeBytes = probe.InUse() ? drive.sizeBytes : probe.SizeBytes();
        entry.path = drive.path;
        entry.inUse = probe.InUse();
        entry.mountPoint = probe.InUseMountPoint();
        char text[48];
        std::snprintf(text, sizeof text, "CARD%d  (%u MB)", index + 1, entry.sizeMB);
        entry.text = text;
        found.cards.push_back(entry);
    }
    return found;
}

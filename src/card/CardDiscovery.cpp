// Card discovery over the drive table, and the names of the card list.
#include "CardDiscovery.h"

#include "CDisk.h"
#include "DriveTable.h"
#include "Environment.h"
#include "Paths.h"
#include "SameFile.h"
#include "Texts.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

// A text from sysfs as one line of the list: control characters (a reader
// may report anything) shown as blanks.
std::string Printable(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return text;
}

} // namespace

std::string CardListName(const DriveEntry& drive, int index)
{
    std::string what;
    if (drive.image)
        what = FileName(drive.path);
    else if (!drive.model.empty())
        what = Printable(drive.model) + " (" + drive.path + ")";
    else
        what = drive.path;
    if (index < 0)
        return what;
    return "CARD" + std::to_string(index + 1) + " - " + what;
}

std::string CardSizeText(std::uint64_t bytes)
{
    const std::uint64_t mb = bytes / 1048576u;
    if (mb < 1024)
        return FormatText(kIdsSizeMegabytes, static_cast<unsigned>(mb));
    return FormatText(kIdsSizeGigabytes, static_cast<double>(bytes) / (1024.0 * 1048576.0));
}

std::string CardNameOfPath(const std::string& path, const CEnvironment& env)
{
    const std::vector<DriveEntry> drives = BuildDriveTable(env.cardReaders());
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (drives[i].path == path || SameFile(drives[i].path, path))
            return CardListName(drives[i], static_cast<int>(i));
    }
    DriveEntry drive;
    drive.path = path;
    struct stat st {};
    drive.image = ::stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode);
    if (!drive.image)
        drive.model = DiskModel(DeviceNodeName(path, env.sysRoot), env.sysRoot);
    return CardListName(drive, -1);
}

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
        entry.name = CardListName(drive, index);
        entry.text = entry.name + ", " + CardSizeText(entry.sizeBytes);
        found.cards.push_back(entry);
    }
    return found;
}

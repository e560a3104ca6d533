#include "CDisk.h"

#include "DriveTable.h"
#include "Interaction.h"
#include "Log.h"

#include <cerrno>

CDisk::CDisk() = default;

CDisk::~CDisk() { Close(); }

int CDisk::Open(int index)
{
    Close();
    const std::vector<DriveEntry> drives = BuildDriveTable();
    if (index < 0 || index >= static_cast<int>(drives.size()))
        return kOpenNotCard;
    const DriveEntry& drive = drives[static_cast<std::size_t>(index)];
    std::unique_ptr<IDevice> device;
    int result = OpenCardDevice(drive.path, !drive.image, device);
    if (result != kOpenOk)
        return result;
    result = OpenDevice(std::move(device), index);
    path_ = drive.path;
    return result;
}

int CDisk::OpenPath(const std::string& path)
{
    Close();
    std::unique_ptr<IDevice> device;
    int result = OpenCardDevice(path, true, device);
    if (result != kOpenOk)
        return result;
    result = OpenDevice(std::move(device), 0);
    path_ = path;
    return result;
}

int CDisk::OpenDevice(std::unique_ptr<IDevice> device, int index)
{
    Close();
    if (!device || device->SizeBytes() == 0)
        return kOpenNotCard;
    const std::uint64_t sectors = device->SizeBytes() / kSectorSize;
    LogMessage("XP style used disk size: %d sectors", static_cast<int>(sectors));
    // A disk of fewer than 293 sectors has no cluster.
    totalClusters_ = sectors < 11 ? 0u : static_cast<std::uint32_t>((sectors - 11) / kSectorsPerCluster);
    sizeMB_ = static_cast<std::uint32_t>(sectors * kSectorSize / 1048576u);
    driveIndex_ = index;
    device_ = std::move(device);
    path_.clear();
    LogMessage("open disk: %d, total clusters: %d", index + 1, static_cast<int>(totalClusters_));
    loaded_ = false;
    return kOpenOk;
}

void CDisk::Close()
{
    device_.reset();
    errorShown_ = false;
}

int CDisk::SeekCluster(int cluster)
{
    const std::int64_t offset = static_cast<std::int64_t>(kFatSize) +
                                static_cast<std::int64_t>(kClusterSize) * cluster;
    LogMessage("seek: %08X:%08X", static_cast<unsigned>(static_cast<std::uint64_t>(offset) >> 32),
               static_cast<unsigned>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu));
    // Nothing is ever transferred outside the card's clusters.
    if (!device_ || cluster < 0 || static_cast<std::uint32_t>(cluster) >= totalClusters_) {
        ReportError(0);
        return 0;
    }
    return 1;
}

int CDisk::ReadCluster(int cluster, std::uint8_t* buffer)
{
    int ok = 0;
    if (SeekCluster(cluster)) {
        const std::uint64_t offset = kFatSize + static_cast<std::uint64_t>(kClusterSize) * static_cast<std::uint64_t>(cluster);
        ok = device_->ReadAt(offset, buffer, kClusterSize) == kClusterSize ? 1 : 0;
    }
    LogMessage("read cluster # %d: %d", cluster, ok);
    if (!ok)
        ReportError(0);
    return ok;
}

int CDisk::WriteCluster(int cluster, const std::uint8_t* buffer)
{
    int ok = 0;
    if (SeekCluster(cluster)) {
        const std::uint64_t offset = kFatSize + static_cast<std::uint64_t>(kClusterSize) * static_cast<std::uint64_t>(cluster);
        ok = device_->WriteAt(offset, buffer, kClusterSize) == kClusterSize ? 1 : 0;
    }
    LogMessage("write cluster # %d: %d, error: %d", cluster, ok, device_ ? device_->LastError() : 0);
    if (!ok)
        ReportError(1);
    return ok;
}

int CDisk::Flush()
{
    if (device_ && device_->Flush())
        return 1;
    ReportError(1);
    return 0;
}

void CDisk::ReportError(int write)
{
    if (errorShown_)
        return;
    errorShown_ = true;
    if (ui_ != nullptr)
        ShowMessage(*ui_, write ? 10016 : 10015, kMsgError);
}

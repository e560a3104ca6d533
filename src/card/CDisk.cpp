#include "CDisk.h"

#include "DriveTable.h"
#include "Environment.h"
#include "Interaction.h"
#include "Log.h"
#include "MountInfo.h"
#include "RealCapacity.h"

#include <cerrno>
#include <sys/stat.h>

CDisk::CDisk() : CDisk(HostEnvironment()) {}

CDisk::CDisk(const CEnvironment& env) : env_(env) {}

CDisk::~CDisk() { Close(); }

int CDisk::Open(int index, CardAccess access)
{
    Close();
    const std::vector<DriveEntry> drives = BuildDriveTable(env_.cardReaders());
    if (index < 0 || index >= static_cast<int>(drives.size()))
        return kOpenNotCard;
    return OpenDrive(drives[static_cast<std::size_t>(index)], index, access);
}

int CDisk::OpenDrive(const DriveEntry& drive, int index, CardAccess access)
{
    return OpenNamed(drive.path, index, access);
}

int CDisk::OpenPath(const std::string& path, CardAccess access) { return OpenNamed(path, 0, access); }

int CDisk::OpenNamed(const std::string& path, int index, CardAccess access)
{
    Close();
    std::unique_ptr<IDevice> device;
    // A card known to be write-protected is not asked for writing: the
    // answer is known, and a refused request may cost a password prompt.
    const bool writeProtected = CardWriteProtected(path, env_.sysRoot);
    const bool write = access == kCardWrite && !writeProtected;
    // Block devices named anywhere, in the settings too, must be card
    // readers' disks.
    int result = OpenCardDevice(env_.openDevice, path, true, write, device, env_.sysRoot, env_.awaitAuthorisation);
    if (result == kOpenInUse) {
        ReportInUse(path);
        return kOpenNotCard;
    }
    if (result != kOpenOk)
        return result;
    result = OpenDevice(std::move(device), index);
    if (result == kOpenOk) {
        // Asked for writing, opened for reading alone: the system refused
        // to write it (EROFS), whatever sysfs showed.
        writeProtected_ = writeProtected || (write && !device_->Writable());
        writable_ = writable_ && !writeProtected_;
        IdentifyOpened(path);
        SetRealCapacity(KeptRealCapacity(identity_));
        LogMessage("opened for %s%s", writable_ ? "writing" : "reading", writeProtected_ ? ", write-protected" : "");
    }
    return result;
}

int CDisk::ReopenForWriting()
{
    if (!device_)
        return kOpenNotCard;
    if (writable_)
        return kOpenOk;
    if (writeProtected_)
        return kOpenNotCard;
    const CardIdentity before = identity_;
    const bool tablesRead = loaded_;
    // A real capacity a test of this card found in this opening holds for
    // the same card opened again.
    const std::uint64_t realBytes = realBytes_;
    // The exclusive descriptor for reading is closed first: a second
    // exclusive opening of the same disk is refused while it is held.
    int result = OpenNamed(before.path, openIndex_, kCardWrite);
    if (result == kOpenOk && !identity_.SameCard(before)) {
        LogMessage("reopened card differs: %s", identity_.path.c_str());
        Close();
        return kOpenNotCard;
    }
    if (result != kOpenOk || !writable_) {
        // The card stays open as it was, for reading alone.
        const bool inUse = inUse_;
        const std::string mountPoint = mountPoint_;
        const bool shown = errorShown_;
        if (OpenNamed(before.path, openIndex_, kCardRead) == kOpenOk && tablesRead)
            ReadFAT();
        inUse_ = inUse;
        mountPoint_ = mountPoint;
        errorShown_ = errorShown_ || shown;
        return result == kOpenOk ? kOpenNotCard : result;
    }
    if (realBytes != 0 && (realBytes_ == 0 || realBytes < realBytes_))
        SetRealCapacity(realBytes);
    if (tablesRead)
        ReadFAT();
    return kOpenOk;
}

void CDisk::IdentifyOpened(const std::string& path)
{
    struct stat st {};
    const bool block = stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
    identity_ = IdentifyCard(path, !block, device_->SizeBytes());
}

void CDisk::ReportInUse(const std::string& path)
{
    inUse_ = true;
    mountPoint_ = MountPointOfDisk(DeviceNodeName(path, env_.sysRoot), env_.sysRoot);
    LogMessage("disk in use: %s %s", path.c_str(), mountPoint_.c_str());
    // The refusal is this opening's error message: a following ReadFAT
    // adds no access message of its own.
    errorShown_ = true;
    if (ui_ != nullptr)
        ShowInUseMessage(*ui_, mountPoint_);
}

void CDisk::ShowInUseMessage(IInteraction& ui, const std::string& mountPoint)
{
    if (mountPoint.empty())
        ShowMessage(ui, kIdsCardInUse, kMsgWarning);
    else
        ShowMessage(ui, kIdsCardMountedAt, kMsgWarning, mountPoint.c_str());
}

int CDisk::OpenDevice(std::unique_ptr<IDevice> device, int index)
{
    Close();
    if (!device || device->SizeBytes() == 0)
        return kOpenNotCard;
    const std::uint64_t sectors = device->SizeBytes() / kSectorSize;
    LogMessage("XP style used disk size: %d sectors", static_cast<int>(sectors));
    // The clusters follow the FAT area and leave the card's last sector out:
    // a disk of fewer than 293 sectors has none.
    const std::uint64_t spare = kFirstClusterSector + 1u;
    totalClusters_ = sectors < spare ? 0u : static_cast<std::uint32_t>((sectors - spare) / kSectorsPerCluster);
    sizeMB_ = static_cast<std::uint32_t>(sectors * kSectorSize / 1048576u);
    identity_ = CardIdentity{};
    identity_.sizeBytes = device->SizeBytes();
    fat_.clear();
    onCard_.clear();
    spare_.fill(0);
    spareLoaded_ = false;
    journalGeneration_ = 0;
    keeper_.Reset();
    // A device opened for reading alone is as good as write-protected
    // here: there is no path to open it again by.
    writable_ = device->Writable();
    writeProtected_ = !writable_;
    openIndex_ = index;
    device_ = std::move(device);
    LogMessage("open disk: %d, total clusters: %d", index + 1, static_cast<int>(totalClusters_));
    loaded_ = false;
    return kOpenOk;
}

std::uint64_t CDisk::SizeBytes() const { return device_ ? device_->SizeBytes() : 0; }

void CDisk::Close()
{
    device_.reset();
    writeBack_.Reset();
    errorShown_ = false;
    lastFailure_ = 0;
    inUse_ = false;
    moveUnfinished_ = false;
    writable_ = false;
    writeProtected_ = false;
    pendingSlot_ = -1;
    mountPoint_.clear();
    identity_ = CardIdentity{};
    realBytes_ = 0;
    onCard_.clear();
    spareLoaded_ = false;
    keeper_.Reset();
}

void CDisk::SetRealCapacity(std::uint64_t realBytes)
{
    realBytes_ = device_ && realBytes < device_->SizeBytes() ? realBytes : 0;
    if (realBytes_ != 0)
        LogMessage("real capacity: %llu bytes, %d clusters", static_cast<unsigned long long>(realBytes_),
                   static_cast<int>(UsableClusters()));
}

std::uint32_t CDisk::UsableClusters() const
{
    return realBytes_ == 0 ? totalClusters_ : ClustersWithin(realBytes_, totalClusters_);
}

int CDisk::SeekCluster(int cluster)
{
    // A negative cluster logs the offset it would have as a signed 64-bit
    // value: the same bits.
    const std::uint64_t offset = ClusterOffset(static_cast<std::uint64_t>(static_cast<std::int64_t>(cluster)));
    LogMessage("seek: %08X:%08X", static_cast<unsigned>(offset >> 32), static_cast<unsigned>(offset & 0xFFFFFFFFu));
    // Nothing is ever transferred outside the card's clusters.
    if (!device_ || cluster < 0 || static_cast<std::uint32_t>(cluster) >= totalClusters_) {
        ReportError(false);
        return 0;
    }
    return 1;
}

int CDisk::ReadCluster(int cluster, std::uint8_t* buffer)
{
    int ok = 0;
    if (SeekCluster(cluster)) {
        ok = device_->ReadAt(ClusterOffset(static_cast<std::uint64_t>(cluster)), buffer, kClusterSize) == kClusterSize ? 1 : 0;
    }
    LogMessage("read cluster # %d: %d", cluster, ok);
    if (!ok)
        ReportError(false);
    return ok;
}

int CDisk::WriteCluster(int cluster, const std::uint8_t* buffer)
{
    if (!writable_) {
        RefuseWrite();
        return 0;
    }
    int ok = 0;
    // A move left half-done protects its frames: nothing is written before
    // the next opening has finished it.
    if (!moveUnfinished_ && SeekCluster(cluster)) {
        const std::uint64_t offset = ClusterOffset(static_cast<std::uint64_t>(cluster));
        keeper_.BeforeClusterWrite(*device_, identity_, clips_, static_cast<std::uint32_t>(cluster));
        ok = device_->WriteAt(offset, buffer, kClusterSize) == kClusterSize &&
                     writeBack_.Written(*device_, offset, kClusterSize)
                 ? 1
                 : 0;
    }
    LogMessage("write cluster # %d: %d, error: %d", cluster, ok, device_ ? device_->LastError() : 0);
    if (!ok)
        ReportError(true);
    return ok;
}

bool CDisk::Flush()
{
    if (!writable_)
        return RefuseWrite();
    writeBack_.Reset();
    if (device_ && device_->Flush())
        return true;
    ReportError(true);
    return false;
}

bool CDisk::DropRun(int first, int count)
{
    return device_ && first >= 0 && count >= 0 &&
           device_->DropCache(ClusterOffset(static_cast<std::uint64_t>(first)),
                              static_cast<std::uint64_t>(kClusterSize) * static_cast<std::uint64_t>(count));
}

bool CDisk::DropCachedClusters(int first, int count)
{
    if (DropRun(first, count))
        return true;
    ReportError(false);
    return false;
}

bool CDisk::ReadSpareSector(std::uint8_t* sector)
{
    const std::uint64_t offset = SpareSectorOffset();
    const bool ok = device_ && offset + kSectorSize <= device_->SizeBytes() &&
                    device_->ReadAt(offset, sector, kSectorSize) == kSectorSize;
    LogMessage("read spare sector: %d", ok ? 1 : 0);
    if (!ok)
        ReportError(false);
    return ok;
}

bool CDisk::WriteSpareSector(const std::uint8_t* sector)
{
    if (!writable_)
        return RefuseWrite();
    const std::uint64_t offset = SpareSectorOffset();
    const bool ok = !moveUnfinished_ && device_ && offset + kSectorSize <= device_->SizeBytes() &&
                    device_->WriteAt(offset, sector, kSectorSize) == kSectorSize;
    LogMessage("write spare sector: %d, error: %d", ok ? 1 : 0, device_ ? device_->LastError() : 0);
    if (!ok) {
        ReportError(true);
        return false;
    }
    return Flush();
}

void CDisk::ReportError(bool write)
{
    // A write-protected card says so rather than that a write failed.
    const int id = !write ? kIdsCardAccessError : writeProtected_ ? kIdsCardReadOnly : kIdsCardWriteError;
    lastFailure_ = id;
    if (errorShown_)
        return;
    errorShown_ = true;
    if (ui_ != nullptr)
        ShowMessage(*ui_, id, kMsgError);
}

bool CDisk::RefuseWrite()
{
    LogMessage("write refused: card open for reading alone");
    ReportError(true);
    return false;
}

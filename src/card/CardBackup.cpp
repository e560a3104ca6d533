#include "CardBackup.h"

#include "CDisk.h"
#include "FileDevice.h"
#include "Interaction.h"
#include "Log.h"
#include "SameFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder's entries are on the disk (the rename that put the backup in
// place).
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fsync(fd) != 0)
        LogMessage("backup: folder %s not synced: %d", folder.c_str(), errno);
    ::close(fd);
}

// Whether `path` may become the backup: nothing there, or a regular file
// the user agrees to replace.
int CheckOutput(const std::string& path, IInteraction& ui)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return kBackupDone;
    if (!S_ISREG(st.st_mode)) {
        ShowMessage(ui, kIdsBackupNotAFile, kMsgError, path.c_str());
        return kBackupNotDone;
    }
    return ShowMessage(ui, kIdsAskReplaceBackup, kMsgYesNoDefNo, path.c_str()) == kIdYes ? kBackupDone
                                                                                       : kBackupNotDone;
}

// A new, empty image file of `size` bytes beside `path` (holes only): its
// descriptor and name, or -1 (the message shown).
int CreateImage(const std::string& path, std::uint64_t size, IInteraction& ui, std::string& temp)
{
    std::vector<char> name(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        ShowMessage(ui, kIdsBackupCannotCreate, kMsgError, path.c_str(), std::strerror(errno));
        return -1;
    }
    temp = name.data();
    // The permissions a new file gets, as the export's.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0644 & ~mask) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        ShowMessage(ui, kIdsBackupCannotCreate, kMsgError, path.c_str(), std::strerror(error));
        return -1;
    }
    return fd;
}

} // namespace

int BackupCard(CDisk& source, const std::string& sourcePath, const std::string& path, IInteraction& ui,
               IProgress& progress, ICardCopyView* view, bool verify)
{
    if (!source.IsOpen() || !source.IsLoaded() || path.empty())
        return kBackupNotDone;
    // Renaming the backup over the card's own image would lose the card.
    if (!sourcePath.empty() && SameFile(sourcePath, path)) {
        ShowMessage(ui, kIdsCopyOntoItself, kMsgError, path.c_str());
        return kBackupNotDone;
    }
    if (CheckOutput(path, ui) != kBackupDone)
        return kBackupNotDone;
    std::string temp;
    const int fd = CreateImage(path, source.SizeBytes(), ui, temp);
    if (fd < 0)
        return kBackupFailed;

    CDisk image;
    std::unique_ptr<IDevice> device;
    std::vector<CopyTarget> targets(1);
    CopyTarget& target = targets.front();
    target.name = path;
    target.disk = &image;
    target.file = true;
    int result = kCopySourceFailed;
    if (DeviceFromDescriptor(fd, device) == kOpenOk && image.OpenDevice(std::move(device), 0) == kOpenOk) {
        target.plan = PlanCardCopy(source, image.TotalClusters());
        result = CopyCardOnto(source, targets, progress, &ui, view, verify);
    } else {
        ShowMessage(ui, kIdsBackupCannotCreate, kMsgError, path.c_str(), std::strerror(EINVAL));
    }
    image.Close();
    if (result == kCopyAllWhole && ::rename(temp.c_str(), path.c_str()) == 0) {
        SyncFolder(FolderOf(path));
        ShowMessage(ui, kIdsBackupComplete, kMsgInfo, target.clipsRecorded, path.c_str());
        return kBackupDone;
    }
    if (result == kCopyAllWhole)
        ShowMessage(ui, kIdsBackupCannotCreate, kMsgError, path.c_str(), std::strerror(errno));
    ::unlink(temp.c_str());
    if (result == kCopyStopped)
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
    return kBackupFailed;
}

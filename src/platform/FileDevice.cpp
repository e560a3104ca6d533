#include "FileDevice.h"

#include "BlockDeviceInfo.h"
#include "FileIo.h"
#include "UdisksDevice.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

CFileDevice::CFileDevice(int fd, std::uint64_t size) : fd_(fd), size_(size)
{
    struct stat st {};
    int logicalBlock = 0;
    if (fstat(fd_, &st) == 0 && S_ISBLK(st.st_mode)) {
        if (ioctl(fd_, BLKSSZGET, &logicalBlock) == 0 && logicalBlock >= 512)
            directAlignment_ = static_cast<std::size_t>(logicalBlock);
    } else if (S_ISREG(st.st_mode)) {
        directAlignment_ = 4096;
        file_ = true;
    }
    const int flags = fcntl(fd_, F_GETFL);
    writable_ = flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
    // The same file opened again, for reading alone: not exclusive, so it
    // does not conflict with the exclusive opening, and closing it makes
    // the system re-read nothing. Refused where the user may not open the
    // device node itself (udisks2 handed out the descriptor).
    if (directAlignment_ != 0)
        directFd_ = open(("/proc/self/fd/" + std::to_string(fd_)).c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
}

CFileDevice::~CFileDevice()
{
    if (directFd_ >= 0)
        close(directFd_);
    if (fd_ >= 0)
        close(fd_);
}

long long CFileDevice::ReadAt(std::uint64_t offset, void* buf, std::size_t len)
{
    // A transfer that ends early at the end of the device returns what was
    // read.
    return Noted(ReadFully(fd_, offset, buf, len));
}

long long CFileDevice::ReadDirectAt(std::uint64_t offset, void* buf, std::size_t len)
{
    long long got = -1;
    int error = 0;
    if (directFd_ >= 0) {
        got = ReadFully(directFd_, offset, buf, len);
        error = errno;
    } else {
        const int flags = directAlignment_ != 0 ? fcntl(fd_, F_GETFL) : -1;
        if (flags < 0 || fcntl(fd_, F_SETFL, flags | O_DIRECT) != 0) {
            directAlignment_ = 0;
            return ReadAt(offset, buf, len);
        }
        got = ReadFully(fd_, offset, buf, len);
        error = errno;
        fcntl(fd_, F_SETFL, flags);
    }
    if (got < 0 && error == EINVAL) {
        // The alignment was not what the file system wants after all.
        if (directFd_ >= 0)
            close(directFd_);
        directFd_ = -1;
        directAlignment_ = 0;
        return ReadAt(offset, buf, len);
    }
    if (got < 0)
        lastError_ = error;
    return got;
}

long long CFileDevice::WriteAt(std::uint64_t offset, const void* buf, std::size_t len)
{
    return Noted(WriteFully(fd_, offset, buf, len));
}

long long CFileDevice::Noted(long long transferred)
{
    if (transferred < 0)
        lastError_ = errno;
    return transferred;
}

bool CFileDevice::Flush()
{
    if (fdatasync(fd_) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

bool CFileDevice::WriteBack(std::uint64_t offset, std::uint64_t len, bool wait)
{
    // The same call serves block devices and image files: both keep the
    // written bytes in the page cache until they are written back.
    const unsigned flags = wait ? SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER
                                : SYNC_FILE_RANGE_WRITE;
    while (sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(len), flags) != 0) {
        if (errno != EINTR) {
            lastError_ = errno;
            return false;
        }
    }
    return true;
}

bool CFileDevice::DropCache(std::uint64_t offset, std::uint64_t len)
{
    // Clean pages of the range leave the cache; a block device's cache is
    // dropped the same way as a file's.
    const int error = posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(len), POSIX_FADV_DONTNEED);
    if (error != 0) {
        lastError_ = error;
        return false;
    }
    return true;
}

void CFileDevice::Prefetch(std::uint64_t offset, std::uint64_t len)
{
    // The kernel reads just the pages of the range, without waiting.
    posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(len), POSIX_FADV_WILLNEED);
}

std::uint64_t CFileDevice::NextData(std::uint64_t offset)
{
    if (!file_ || offset >= size_)
        return offset;
    // Only pread and pwrite move through the file, so its position is free.
    const off_t at = lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
    if (at >= 0)
        return std::max<std::uint64_t>(offset, static_cast<std::uint64_t>(at));
    // ENXIO: nothing but holes from `offset` on; anything else (a file
    // system that cannot tell): as if all were data.
    return errno == ENXIO ? size_ : offset;
}

int DeviceFromDescriptor(int fd, std::unique_ptr<IDevice>& device)
{
    struct stat st {};
    std::uint64_t size = 0;
    if (fstat(fd, &st) == 0 && S_ISBLK(st.st_mode)) {
        if (ioctl(fd, BLKGETSIZE64, &size) != 0)
            size = 0;
    } else if (S_ISREG(st.st_mode)) {
        size = static_cast<std::uint64_t>(st.st_size);
    }
    // No medium, an empty file, or something that is neither.
    if (size == 0) {
        close(fd);
        return kOpenNotCard;
    }
    device = std::make_unique<CFileDevice>(fd, size);
    return kOpenOk;
}

int OpenDevicePath(const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device)
{
    return OpenDeviceUnder(kSysRoot, path, requireCard, write, device);
}

int OpenDeviceUnder(const std::string& sysRoot, const std::string& path, bool requireCard, bool write,
                    std::unique_ptr<IDevice>& device)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return (errno == EACCES || errno == EPERM) ? kOpenDenied : kOpenNotCard;
    const bool block = S_ISBLK(st.st_mode);
    // Fixed disks, eMMC, optical drives... are never opened at all.
    if (block && requireCard && !IsCardReaderDisk(BlockDeviceName(st.st_rdev, sysRoot), sysRoot))
        return kOpenNotCard;
    // O_EXCL on a block device fails with EBUSY while a partition of it is
    // mounted or another program holds it exclusively, and keeps others
    // (an automounter) away while the card is open here.
    const int exclusive = block ? O_EXCL : 0;
    int fd = open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | exclusive);
    if (fd < 0 && write && errno == EROFS) {
        // A write-protected card is still a card: it is listed and read, and
        // its first write fails with the write message.
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | exclusive);
    }
    if (fd < 0) {
        if (errno == EBUSY && block)
            return kOpenInUse;
        return (errno == EACCES || errno == EPERM) ? kOpenDenied : kOpenNotCard;
    }
    return DeviceFromDescriptor(fd, device);
}

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

int OpenCardDevice(const DeviceOpener& open, const std::string& path, bool requireCard, bool write,
                   std::unique_ptr<IDevice>& device, const std::string& sysRoot, const AuthorisationWait& wait)
{
    int result = open(path, requireCard, write, device);
    // udisks2 serves block devices only; a refused image file stays refused.
    if (result == kOpenDenied && requireCard && !IsRegularFile(path)) {
        const std::string name = DeviceNodeName(path, sysRoot);
        // `device` is set by the request alone, which has ended when `wait`
        // returns.
        const auto request = [&name, write, &device, &sysRoot] { return OpenThroughUdisks(name, write, device, sysRoot); };
        result = wait ? wait(request) : request();
    }
    return result;
}

bool CardWriteProtected(const std::string& path, const std::string& sysRoot)
{
    // An image file: what the file's permissions and its file system allow
    // this process (the effective ids, as open() checks them).
    if (IsRegularFile(path))
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
    return DiskWriteProtected(DeviceNodeName(path, sysRoot), sysRoot);
}

#include "FileDevice.h"

#include "BlockDeviceInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

CFileDevice::CFileDevice(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

CFileDevice::~CFileDevice()
{
    if (fd_ >= 0)
        close(fd_);
}

long long CFileDevice::ReadAt(std::uint64_t offset, void* buf, std::size_t len)
{
    // Loops over short transfers; a transfer that ends early at the end of
    // the device returns what was read.
    std::size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < len) {
        ssize_t n = pread(fd_, p + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

long long CFileDevice::WriteAt(std::uint64_t offset, const void* buf, std::size_t len)
{
    std::size_t done = 0;
    const auto* p = static_cast<const char*>(buf);
    while (done < len) {
        ssize_t n = pwrite(fd_, p + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool CFileDevice::Flush()
{
    if (fdatasync(fd_) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

int OpenDevicePath(const std::string& path, bool requireRemovable,
                   std::unique_ptr<IDevice>& device)
{
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == EROFS) {
        // A write-protected card is still a card: it is listed and read, and
        // its first write fails with the write message.
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0)
        return (errno == EACCES || errno == EPERM) ? kOpenDenied : kOpenNotCard;

    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return kOpenNotCard;
    }
    std::uint64_t size = 0;
    if (S_ISBLK(st.st_mode)) {
        if (requireRemovable && !IsRemovableBlockDevice(st.st_rdev)) {
            close(fd);
            return kOpenNotCard;
        }
        if (ioctl(fd, BLKGETSIZE64, &size) != 0) {
            close(fd);
            return kOpenNotCard;
        }
    } else if (S_ISREG(st.st_mode)) {
        size = static_cast<std::uint64_t>(st.st_size);
    } else {
        close(fd);
        return kOpenNotCard;
    }
    if (size == 0) {
        close(fd);
        return kOpenNotCard;
    }
    device = std::make_unique<CFileDevice>(fd, size);
    return kOpenOk;
}

namespace {
DeviceOpener g_opener = nullptr;
}

void SetDeviceOpener(DeviceOpener opener) { g_opener = opener; }

int OpenCardDevice(const std::string& path, bool requireRemovable, std::unique_ptr<IDevice>& device)
{
    return (g_opener ? g_opener : OpenDevicePath)(path, requireRemovable, device);
}

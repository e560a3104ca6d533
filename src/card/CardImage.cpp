#include "CardImage.h"

#include "CardLayout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

long long SmallestCardImage() { return kFatSize + static_cast<long long>(kClusterSize) + kSectorSize; }

int CreateCardImageFile(const std::string& path, long long bytes, int& error)
{
    error = 0;
    if (bytes % kSectorSize != 0 || bytes < SmallestCardImage())
        return kCardImageBadSize;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno;
        return error == EEXIST ? kCardImageExists : kCardImageCannotCreate;
    }
    const bool sized = ::ftruncate(fd, bytes) == 0;
    if (!sized)
        error = errno;
    // A file that did not reach its size, or whose size is not on the disk,
    // is not a card image: it goes again.
    const bool synced = sized && ::fsync(fd) == 0;
    if (sized && !synced)
        error = errno;
    ::close(fd);
    if (!synced) {
        ::unlink(path.c_str());
        return kCardImageCannotCreate;
    }
    return kCardImageCreated;
}

#include "FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Calls `step(done)`, which moves the bytes from `done` on and returns how
// many it moved, until `len` bytes have moved or a step moves none.
template <typename Step>
long long Repeat(std::size_t len, Step step)
{
    std::size_t done = 0;
    while (done < len) {
        const ssize_t n = step(done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace

long long ReadFully(int fd, std::uint64_t offset, void* buf, std::size_t len)
{
    auto* p = static_cast<char*>(buf);
    return Repeat(len, [&](std::size_t done) {
        return pread(fd, p + done, len - done, static_cast<off_t>(offset + done));
    });
}

long long WriteFully(int fd, std::uint64_t offset, const void* buf, std::size_t len)
{
    const auto* p = static_cast<const char*>(buf);
    return Repeat(len, [&](std::size_t done) {
        return pwrite(fd, p + done, len - done, static_cast<off_t>(offset + done));
    });
}

bool WriteAll(int fd, const void* data, std::size_t len)
{
    const auto* p = static_cast<const char*>(data);
    return Repeat(len, [&](std::size_t done) { return ::write(fd, p + done, len - done); }) ==
           static_cast<long long>(len);
}

int OpenRegularOutput(const std::string& path, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

#include "InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CInstanceLock::~CInstanceLock() { Release(); }

std::string CInstanceLock::LockPath(const std::string& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        struct stat st {};
        if (stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
            return std::string(runtime) + "/" + name + ".lock";
    }
    return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
}

bool CInstanceLock::Acquire(const std::string& name) { return AcquireFile(LockPath(name)); }

bool CInstanceLock::AcquireFile(const std::string& path)
{
    Release();
    // O_NOFOLLOW: in a shared folder a planted symbolic link must not make
    // us create or lock another file.
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void CInstanceLock::Release()
{
    if (fd_ >= 0) {
        // The file stays: removing it could race with a copy that is just
        // opening it and would then lock a different file.
        flock(fd_, LOCK_UN);
        close(fd_);
        fd_ = -1;
    }
}

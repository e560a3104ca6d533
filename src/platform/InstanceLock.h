// The single-instance lock: a lock file held with flock for the life of the
// process. A second copy of the program fails to take it and ends silently.
// The lock is released when the object is destroyed or the process ends,
// even by a crash, so a stale file never blocks the next start.
#pragma once
#include <string>

class CInstanceLock {
public:
    CInstanceLock() = default;
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // Takes the lock `name` in the runtime folder (see LockPath). Returns
    // false when another process holds it or the file cannot be created.
    bool Acquire(const std::string& name);
    // Takes the lock on the file at `path`.
    bool AcquireFile(const std::string& path);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // $XDG_RUNTIME_DIR/NAME.lock; without a runtime folder
    // /tmp/NAME-UID.lock, so that users sharing /tmp do not lock each other
    // out.
    static std::string LockPath(const std::string& name);

private:
    int fd_ = -1;
};

// A temporary folder for one test, removed with everything in it at the
// end, and a full disk for the files written meanwhile.
#pragma once
#include <string>

#include <signal.h>
#include <sys/resource.h>

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// While it lives, no file of this process grows past `bytes`: a write
// beyond fails (EFBIG) as on a full disk. Pipes and terminals are not
// limited.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(unsigned long long bytes);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    struct sigaction oldAction_ {};
};

#include "CTempFile.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

CTempFile::~CTempFile()
{
    CloseFd();
    if (!path_.empty())
        ::unlink(path_.c_str());
}

std::string CTempFile::Folder()
{
    const char* dir = std::getenv("TMPDIR");
    return dir && dir[0] ? dir : "/tmp";
}

bool CTempFile::Create(const char* prefix) { return Create(prefix, Folder()); }

bool CTempFile::Create(const char* prefix, const std::string& folder)
{
    std::string name = folder + "/" + prefix + "XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    fd_ = fd;
    path_ = name;
    return true;
}

bool CTempFile::CloseFd()
{
    if (fd_ < 0)
        return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

#include "SameFile.h"

#include <sys/stat.h>

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    if (S_ISBLK(sa.st_mode) && S_ISBLK(sb.st_mode))
        return sa.st_rdev == sb.st_rdev;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

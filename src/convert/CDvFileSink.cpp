#include "CDvFileSink.h"

#include "FileIo.h"

#include <sys/stat.h>
#include <unistd.h>

CDvFileSink::~CDvFileSink()
{
    Close();
}

bool CDvFileSink::Open(const std::string& path)
{
    Close();
    // Only a regular file is taken: a device node chosen as the output (a
    // disk) is never written, and a named pipe cannot hold the caller up.
    fd_ = OpenRegularOutput(path, 0666);
    return fd_ >= 0;
}

bool CDvFileSink::OpenConversionOutput(const std::string& source, const std::string& output)
{
    return !SameFile(source, output) && Open(output);
}

bool CDvFileSink::Close()
{
    if (fd_ < 0)
        return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

bool CDvFileSink::WriteFrame(const std::uint8_t* data, int size)
{
    if (fd_ < 0 || size < 0 || (size > 0 && !data))
        return false;
    return WriteAll(fd_, data, static_cast<std::size_t>(size));
}

bool CDvFileSink::SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

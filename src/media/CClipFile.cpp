#include "CClipFile.h"

#include "DvFrame.h"
#include "FileIo.h"

#include <climits>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

CClipFile::~CClipFile()
{
    Close();
}

bool CClipFile::IsRawDvPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < base)
        return true;
    return strcasecmp(path.c_str() + dot, ".avi") != 0;
}

void CClipFile::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    avi_.Close();
    raw_ = false;
    open_ = false;
    separateAudio_ = false;
    frames_ = 0;
    nextFrame_ = 0;
    path_.clear();
}

int CClipFile::Open(const std::string& path, bool raw)
{
    Close();
    const int result = raw ? OpenRaw(path) : OpenAvi(path);
    if (result == kClipOpenOk)
        path_ = path;
    else
        Close();
    return result;
}

int CClipFile::OpenRaw(const std::string& path)
{
    // Non-blocking, so that a named pipe cannot hold the caller up waiting
    // for a writer; regular files read the same either way.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        return kClipOpenFailed;
    struct stat st {};
    // Only a regular file has a size that counts frames; a folder, a pipe or
    // a device node cannot be read as a raw DV file.
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return kClipOpenFailed;
    const auto size = static_cast<unsigned long long>(st.st_size);
    if (size % kDvFrameSize != 0)
        return kClipOpenNotDv;
    // More frames than a frame count can hold (a file of hundreds of
    // terabytes) would wrap to a wrong count.
    if (size / kDvFrameSize > static_cast<unsigned long long>(INT_MAX))
        return kClipOpenFailed;
    frames_ = static_cast<int>(size / kDvFrameSize);
    raw_ = true;
    open_ = true;
    separateAudio_ = false;
    return kClipOpenOk;
}

int CClipFile::OpenAvi(const std::string& path)
{
    // Only regular files: opening a named pipe would wait for a writer.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return kClipOpenFailed;
    if (!avi_.Open(path) || avi_.FrameCount() <= 0)
        return kClipOpenFailed;
    switch (avi_.StreamKind()) {
    case CAviFirstStream::kInterleavedDv:
        separateAudio_ = false;
        break;
    case CAviFirstStream::kDvVideo:
        separateAudio_ = true;
        break;
    default:
        return kClipOpenNotDv;
    }
    frames_ = avi_.FrameCount();
    open_ = true;
    return kClipOpenOk;
}

int CClipFile::ReadFrame(int frame, std::uint8_t* buffer)
{
    if (!open_ || frame < 0 || frame >= frames_)
        return 0;
    if (raw_) {
        // A file that shrank since it was opened ends early: the frame is
        // not there.
        const std::uint64_t offset = static_cast<std::uint64_t>(frame) * kDvFrameSize;
        // The system reads ahead less than a frame on its own, so each read
        // would wait for the disk while the card waits for the frame: the
        // next frames are asked for well ahead, read while the card writes.
        if (frame % kReadAheadFrames == 0 || frame != nextFrame_)
            ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(2 * kReadAheadFrames) * kDvFrameSize,
                            POSIX_FADV_WILLNEED);
        nextFrame_ = frame + 1;
        return ReadFully(fd_, offset, buffer, kDvFrameSize) == kDvFrameSize ? 1 : 0;
    }
    const int size = avi_.ReadFrame(frame, buffer, kDvFrameSize);
    if (size < 0)
        return 0;
    // A shorter sample leaves no bytes of an earlier frame behind it.
    if (size < kDvFrameSize)
        std::memset(buffer + size, 0, static_cast<std::size_t>(kDvFrameSize - size));
    return 1;
}

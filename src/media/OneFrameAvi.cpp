#include "OneFrameAvi.h"

#include "AviTemplates.h"
#include "DvFrame.h"
#include "FileIo.h"
#include "Resources.h"

#include <cstring>

namespace {

// The templates must have their exact sizes: a file made with a missing or
// short template would not be an AVI the decoder can read.
bool Templates(ResourceBlock& head, ResourceBlock& tail)
{
    head = FindResourceBlock(kAviHeadBlockId);
    tail = FindResourceBlock(kAviTailBlockId);
    return head.size == kAviHeadSize && tail.size == kAviTailSize;
}

} // namespace

std::vector<std::uint8_t> BuildOneFrameAvi(const std::uint8_t* frame)
{
    ResourceBlock head, tail;
    if (!Templates(head, tail))
        return {};
    std::vector<std::uint8_t> file(kOneFrameAviSize);
    std::memcpy(file.data(), head.data, head.size);
    std::memcpy(file.data() + head.size, frame, kDvFrameSize);
    std::memcpy(file.data() + head.size + kDvFrameSize, tail.data, tail.size);
    return file;
}

bool WriteOneFrameAvi(int fd, const std::uint8_t* frame)
{
    ResourceBlock head, tail;
    if (!Templates(head, tail))
        return false;
    return WriteAll(fd, head.data, head.size) && WriteAll(fd, frame, kDvFrameSize) &&
           WriteAll(fd, tail.data, tail.size);
}

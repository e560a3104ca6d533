#include "OneFrameAvi.h"

#include "AviTemplates.h"
#include "DvFrame.h"
#include "FileIo.h"
#include "Resources.h"

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

bool WriteOneFrameAvi(int fd, const std::uint8_t* frame)
{
    ResourceBlock head, tail;
    if (!Templates(head, tail))
        return false;
    return WriteAll(fd, head.data, head.size) && WriteAll(fd, frame, kDvFrameSize) &&
           WriteAll(fd, tail.data, tail.size);
}

#include "IndexSource.h"

#include "CPicture.h"
#include "CPreviewPlayback.h"

#include <cstring>

int CIndexSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    reads.push_back(frame);
    if (onRead)
        onRead();
    if (frame < 0 || frame >= frames_ || fail.count(frame) != 0)
        return 0;
    std::memcpy(buffer, &frame, sizeof frame);
    return 1;
}

void PaintIndexPicture(const std::uint8_t* frame, CPicture& picture)
{
    int n = 0;
    std::memcpy(&n, frame, sizeof n);
    picture.Create(kPlayerWidth, kPlayerHeight);
    for (int i = 0; i < kPlayerWidth * kPlayerHeight; ++i)
        std::memcpy(picture.Pixels() + 4 * i, &n, sizeof n);
}

int IndexOfPicture(const CPicture& picture)
{
    int n = 0;
    std::memcpy(&n, picture.Pixels(), sizeof n);
    return n;
}

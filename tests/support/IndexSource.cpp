#include "IndexSource.h"

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

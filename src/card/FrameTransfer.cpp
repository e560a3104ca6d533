#include "FrameTransfer.h"

#include "CardLayout.h"
#include "Progress.h"

#include <cstring>
#include <memory>

int TransferFrames(int frames, IProgress& progress, ProgressStep step,
                   const std::function<int(int frame, std::uint8_t* buffer)>& take,
                   const std::function<bool(int frame, const std::uint8_t* buffer)>& put)
{
    // One buffer for the whole loop; the bytes after the frame stay zero.
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kClusterSize]);
    std::memset(buffer.get() + kFrameSize, 0, kClusterTail);
    int done = 0;
    for (int f = 0; f < frames; ++f) {
        const int taken = take(f, buffer.get());
        if (taken < 0)
            break;
        if (taken == 0) {
            progress.SetAbort();
            break;
        }
        if (progress.Pump())
            break;
        if (!put(f, buffer.get())) {
            progress.SetAbort();
            break;
        }
        ++done;
        if (step == ProgressStep::kSetThenPump)
            progress.Set(f + 1);
        if (progress.Pump())
            break;
        if (step == ProgressStep::kPumpThenSet)
            progress.Set(f + 1);
    }
    return done;
}

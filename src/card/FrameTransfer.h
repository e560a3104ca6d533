// The frame loop that the card writer and the clip export share: each frame
// taken into one cluster buffer and handed on, with the message pump after
// each of the two steps so that Abort is seen, and the progress moved on.
#pragma once
#include <cstdint>
#include <functional>

class IProgress;

// Whether a frame's position is set before the pump that follows handing it
// on (the writer) or after it (the export).
enum class ProgressStep { kSetThenPump, kPumpThenSet };

// Moves up to `frames` frames: `take(f, buffer)` fills the buffer (one
// cluster, whose 384 bytes after the frame are zero unless `take` writes
// them), the pump runs, `put(f, buffer)` hands the frame on, then the
// position is set to f + 1 and the pump runs again, in the order `step`
// says. `take` returns above 0 for a frame, 0 when it failed, below 0 when
// its source has no frame left (the loop ends there, nothing aborted). A
// failed take or put sets the abort flag and ends the loop; so does a pump
// that returns the abort flag. Returns the number of frames put.
int TransferFrames(int frames, IProgress& progress, ProgressStep step,
                   const std::function<int(int frame, std::uint8_t* buffer)>& take,
                   const std::function<bool(int frame, const std::uint8_t* buffer)>& put);

// Where the preview player's sound goes: a stream of interleaved 16-bit
// samples that plays as it is written. The window plays it through the
// desktop's audio output; tests record it. A sink without a device refuses
// to start, and the preview then stays silent.
#pragma once
#include <cstdint>

class IAudioSink {
public:
    virtual ~IAudioSink() = default;
    // Prepares to play samples of `channels` channels at `rate` per second,
    // dropping anything queued before. False when nothing can be played
    // (no output device, a format it does not take).
    virtual bool Start(int rate, int channels) = 0;
    // Queues `frames` sample frames (frames x channels values) after those
    // queued before.
    virtual void Write(const std::int16_t* samples, int frames) = 0;
    // Sample frames written but not yet played.
    virtual long long Pending() const = 0;
    // Drops everything queued and falls silent at once.
    virtual void Stop() = 0;
};

#include "DvFrame.h"

#include <cstdio>

bool IsDvFrame(const std::uint8_t* frame)
{
    return (frame[kDvAudioBlockOffset] & 0xF0) == 0x70 && frame[kDvAauxPackHeader] == 0x50;
}

bool IsNtscDvFrame(const std::uint8_t* frame)
{
    // Header block ID (section type 0, sequence 0, block 0), then the
    // header pack whose top bit is the system flag (0: 525/60).
    return frame[0] == 0x1F && (frame[1] & 0xF7) == 0x07 && frame[2] == 0 && (frame[3] & 0x80) == 0;
}

bool IsPalDvFrame(const std::uint8_t* frame) { return IsDvFrame(frame) && !IsNtscDvFrame(frame); }

int ClassifyDvAudio(const std::uint8_t* frame)
{
    const int smp = (frame[kDvAauxPc4] >> 3) & 7;
    const int af = frame[kDvAauxPc1] & 0x3F;
    // 48 and 32 are the largest AF_SIZE values defined for 625/50 frames at
    // 48 kHz (1896 to 1944 samples) and at 32 kHz (1264 to 1296 samples).
    if (smp == 0)
        return af <= 48 ? kDvAudio48k : kDvAudioNoSamples;
    if (smp == 2)
        return af <= 32 ? kDvAudio32k : kDvAudioNoSamples;
    return kDvAudioUnsupported;
}

namespace {

// A negative count can only come from inconsistent card tables; it is shown
// as zero rather than as a time with negative fields.
int NonNegative(int frames) { return frames < 0 ? 0 : frames; }

std::string TimeText(int frames)
{
    const int s = frames / kDvFramesPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", s / 3600, (s / 60) % 60, s % 60,
                  frames % kDvFramesPerSecond);
    return text;
}

} // namespace

std::string FormatFrameTime(int frames)
{
    return TimeText(NonNegative(frames));
}

std::string FormatFrameTimeSize(int frames, bool lineBreak)
{
    frames = NonNegative(frames);
    // One frame occupies one card cluster of 141 KiB (282 sectors of 512).
    const long long k = static_cast<long long>(frames) * 141;
    const long long whole = k / 1024;
    // Remainders 1000 to 1023 would give a tenth of 10; they show 9 so that
    // the text never claims more than the frames occupy.
    int tenth = static_cast<int>((k % 1024) / 100);
    if (tenth > 9)
        tenth = 9;
    char text[96];
    std::snprintf(text, sizeof text, "%s %c (%lld.%d MB)", TimeText(frames).c_str(),
                  lineBreak ? '\n' : ' ', whole, tenth);
    return text;
}

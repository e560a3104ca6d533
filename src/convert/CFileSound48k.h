// The sound of any media file as the dv muxer takes it: its first audio
// stream, any codec, through libavfilter to 48 kHz 16-bit stereo (mono on
// both channels at its own level, more channels mixed down), laid on the
// file's timeline (a late start or a gap becomes silence), in portions of
// one DV frame. Silence where the file has no sound or its sound has ended.
#pragma once
#include "CDecodedStream.h"
#include "CFilterChain.h"

#include <cstdint>
#include <string>

class CFileSound48k {
public:
    // Opens the first audio stream of `path`. False when the file has none
    // that decodes; Read then gives silence.
    bool Open(const std::string& path);

    // The next frame's sound: CDvMuxer::kSamplesPerFrame stereo samples,
    // 4 bytes each, into `out`.
    void Read(std::uint8_t* out);

private:
    bool Build(const AVFrame& first);
    void Feed(); // the next decoded frame into the chain, or its end

    CDecodedStream stream_;
    CFilterChain chain_;
    ff::Frame frame_;
    std::int64_t nextPts_ = 0; // where the sound decoded so far ends
    bool built_ = false;
    bool closed_ = false;
    bool ended_ = true;
};

// The picture of any media file as PAL DV wants it: the file's video stream
// decoded and passed through the chain of DvPictureChain, giving 720x576
// yuv420p pictures at 25 a second from the start of the file.
#pragma once
#include "CDecodedStream.h"
#include "CFilterChain.h"
#include "DvPicture.h"

#include <cstdint>
#include <string>

class CPalPictures {
public:
    // Opens the video stream of `path` and decodes its first frame (FFmpeg's
    // complaints about a file that is not media kept quiet meanwhile).
    // False when there is no video stream, when it is text or a still
    // picture (RealVideo.h), or when not one frame of it decodes.
    bool Open(const std::string& path);
    // The PAL frames the file gives by its duration (one per 40 ms from the
    // start of the file to the end of the picture); 0 when unknown.
    int ExpectedFrames() const;
    // When the file says it was recorded (libavformat's creation_time of
    // the file, else of its video stream); empty when it does not.
    std::string CreationTime() const;
    // Builds the chain that fits the picture into frames of `aspect`.
    bool Start(DvAspect aspect);
    // The next PAL picture into `picture`.
    CDecodedStream::Next Read(AVFrame* picture);

private:
    bool PushDecoded(); // decodes and pushes one frame, or ends the input

    CDecodedStream stream_;
    CFilterChain chain_;
    ff::Frame decoded_;
    bool pending_ = false; // the first frame waits in decoded_
    bool closed_ = false;
    bool failed_ = false;
    std::int64_t lastPts_ = AV_NOPTS_VALUE;
    std::int64_t lastLength_ = 0;
};

// One conversion of any video file into PAL DV frames, handed to a frame
// sink one by one: the picture (CPalPictures), the sound (CFileSound48k),
// the DV encoder and the dv muxer. The file conversion runs it into a DV
// file, the streamed write into the queue that feeds the card writer, so
// both make the same frames.
#pragma once
#include "CDvEncoder.h"
#include "CPalPictures.h"
#include "DvPicture.h"

#include <functional>
#include <string>

class IDvFrameSink;

// How far a conversion got.
struct ConversionReport {
    int converted = 0;  // frames handed to the sink
    int expected = 0;   // frames the source's duration foretells; 0 unknown
    // The source could not be converted to its end: a decode or filter
    // error, or a file that ends well before its duration (cut short).
    bool stoppedShort = false;
};

class CVideoConversion {
public:
    // Frames a conversion may fall short of its duration without being
    // called short: the last frame's length and the container's rounding.
    static constexpr int kShortSlack = 12;

    // Opens the source's picture and the DV encoder. kMediaDone,
    // kMediaNotVideo (no video that decodes), kMediaNoDecoder (no DV
    // encoder).
    int Open(const std::string& source, DvAspect aspect);
    // The frames the source's duration foretells; 0 when it is not known.
    int ExpectedFrames() const { return pictures_.ExpectedFrames(); }

    // Converts the whole source into `sink`. `step(n)` runs after the n-th
    // frame was handed on; false from it stops the conversion
    // (kMediaAborted). kMediaDone when the source was converted, also when
    // it stopped short after at least the shortest clip a card takes
    // (`report` says so); kMediaGraphFailed when it failed before;
    // kMediaWriteFailed when the sink refused a frame.
    int Run(IDvFrameSink& sink, const std::function<bool(int frames)>& step, ConversionReport& report);

private:
    // The recording date and time of the frames: the source's creation
    // time when it has one libavformat reads, else now.
    std::string RecordingTime() const;

    std::string source_;
    DvAspect aspect_ = kDvAspect4x3;
    CPalPictures pictures_;
    CDvEncoder encoder_;
};

// A libavfilter graph with one source and one sink: decoded frames go in at
// the source ("buffer" for pictures, "abuffer" for sound), pass the chain of
// filters given as text, and come out at the sink.
#pragma once
#include "FfmpegPtr.h"

#include <cstdint>
#include <string>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/frame.h>
}

struct AVFilterContext;

class CFilterChain {
public:
    enum Pull : int {
        kFrame = 1,    // a frame came out
        kHungry = 0,   // the chain needs more input first
        kDrained = -1, // the chain has ended: everything put in came out
        kFailed = -2,  // a filter failed; what is still inside is lost
    };

    // Builds the graph: the source set up with `sourceArgs`, then `chain`
    // (filters in libavfilter's text form), then the sink. `audio` picks
    // the audio source and sink.
    bool Build(bool audio, const std::string& sourceArgs, const std::string& chain);

    // Hands `frame` to the chain, which takes its data (the frame is left
    // blank). False when the chain refuses it.
    bool Push(AVFrame* frame);
    // Ends the input at `pts` (the source's time base): the time just after
    // the last frame, up to which the chain fills its output.
    bool Close(std::int64_t pts);
    // Takes the next frame out of the chain.
    Pull Take(AVFrame* frame);
    // For sound: Take then gives frames of exactly `samples` samples (the
    // last one may be shorter).
    Pull TakeSamples(AVFrame* frame, int samples);

    // The time base of the frames that come out.
    AVRational OutputTimeBase() const;

private:
    Pull Result(int rc) const;

    ff::Graph graph_;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
};

// Where the media graph hands the DV frames it muxes: one call per frame, in
// order, from the thread that runs the conversion.
#pragma once
#include <cstdint>

class IDvFrameSink {
public:
    virtual ~IDvFrameSink() = default;
    // Takes `size` bytes (one muxed frame). False when they could not be
    // stored; the graph then stops.
    virtual bool WriteFrame(const std::uint8_t* data, int size) = 0;
};

// A frame source for the preview tests: frame i holds i in its first four
// bytes, so a picture its decoder paints tells which frame it was.
#pragma once

#include "FrameSource.h"

class CPicture;

#include <functional>
#include <set>
#include <string>
#include <vector>

class CIndexSource : public IFrameSource {
public:
    explicit CIndexSource(int frames) : frames_(frames) {}
    int FrameCount() const override { return frames_; }
    // Records the read and runs `onRead` (a nested event loop, say) before
    // answering; frames out of range or in `fail` cannot be read.
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    std::string SourcePath() const override { return "clip.dv"; }

    std::set<int> fail;
    std::vector<int> reads;
    std::function<void()> onRead;

private:
    int frames_;
};

// The index frame's decoder: a player-sized picture with the frame's number
// in every pixel.
void PaintIndexPicture(const std::uint8_t* frame, CPicture& picture);
// The frame number such a picture shows.
int IndexOfPicture(const CPicture& picture);

// CCardClipSource: a clip stored in one slot of the card, seen as a frame
// source, so the preview player shows card clips the same way as the clip
// file. Frame f is the clip's cluster f, read whole from the card; a read
// failure is reported by the card itself (once per opening).
#pragma once
#include "CDisk.h"
#include "FrameSource.h"

#include <cstdint>
#include <vector>

class CCardClipSource : public IFrameSource {
public:
    // The clip in slot `slot` (from 0) of `disk`, which must outlive the
    // source. The frame count is taken now: 0 for an empty slot, a slot
    // outside the table or a card whose tables are not loaded.
    CCardClipSource(CDisk& disk, int slot);

    int FrameCount() const override { return frames_; }
    // Copies the first 144000 bytes of the frame's cluster into `buffer`;
    // non-zero on success.
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    // The clip's name on the card, in UTF-8.
    std::string SourcePath() const override { return name_; }

private:
    CDisk& disk_;
    int slot_;
    int frames_ = 0;
    std::string name_;
    std::vector<std::uint8_t> cluster_;
};

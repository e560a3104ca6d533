// How a source picture becomes the picture of PAL DV frames: turned upright
// by the file's rotation, its display shape kept inside a 4:3 frame
// (letterboxed or pillarboxed) or an anamorphic 16:9 one, scaled with a
// bicubic filter into BT.601 limited range, at 25 frames a second. The
// result is a libavfilter chain in text form.
#pragma once
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

struct AVFrame;
struct AVStream;

enum DvAspect : int {
    kDvAspect4x3 = 0,
    kDvAspect16x9 = 1, // anamorphic: the frames are marked 16:9
};

// The frame shape chosen in the settings: "Options", "Aspect", 1 for 16:9.
DvAspect AspectSetting();

// The shape of one pixel of a 720x576 frame of that aspect.
AVRational DvPixelAspect(DvAspect aspect);

// What the chain needs to know of the source.
struct SourcePicture {
    int width = 0;
    int height = 0;
    AVRational pixelAspect{1, 1};
    int rotation = 0;    // clockwise turn that makes it upright: 0, 90, 180 or 270
    bool interlaced = false;
    int colorspace = 2;  // AVColorSpace of its frames (2: unspecified)
};

// The source as its stream and first decoded frame describe it.
SourcePicture DescribeSource(const AVStream& stream, const AVFrame& first);

// Where the picture lies in the 720x576 frame. Sizes and offsets are even.
struct DvPicturePlace {
    int width = 720;
    int height = 576;
    int x = 0;
    int y = 0;
};

// The place of a picture of display aspect `displayAspect` (width over
// height as seen). A shape within 2 % of the frame's fills the frame.
DvPicturePlace PlacePicture(double displayAspect, DvAspect aspect);

// The filters from decoded source frames to 720x576 yuv420p frames at 25
// per second, timestamps counted from the start of the file.
std::string DvPictureChain(const SourcePicture& source, DvAspect aspect);

#include "DvPicture.h"

#include "Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/frame.h>
}

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

int Even(double v)
{
    const int e = 2 * static_cast<int>(std::lround(v / 2));
    return e < 2 ? 2 : e;
}

// The clockwise turn the display matrix asks for, to the nearest quarter.
int Rotation(const AVStream& stream)
{
    size_t size = 0;
    const std::uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(std::int32_t))
        return 0;
    const double ccw = av_display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix));
    if (std::isnan(ccw))
        return 0;
    const int quarter = static_cast<int>(std::lround(-ccw / 90.0));
    return ((quarter % 4) + 4) % 4 * 90;
}

// The colour coding of a source picture as the colormatrix filter names
// it; null when it is BT.601 already. A high-definition picture that does
// not say how its colours are coded uses the coding of high definition.
const char* ColourMatrix(int colorspace, int height)
{
    switch (colorspace) {
    case AVCOL_SPC_BT709: return "bt709";
    case AVCOL_SPC_FCC: return "fcc";
    case AVCOL_SPC_SMPTE240M: return "smpte240m";
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return "bt2020";
    case AVCOL_SPC_UNSPECIFIED:
    case AVCOL_SPC_RESERVED: return height > kHeight ? "bt709" : nullptr;
    default: return nullptr;
    }
}

std::string Text(const char* format, int a, int b, int c = 0, int d = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

} // namespace

DvAspect AspectSetting()
{
    return GetProfileInt("Options", "Aspect", 0) == 1 ? kDvAspect16x9 : kDvAspect4x3;
}

AVRational DvPixelAspect(DvAspect aspect)
{
    return aspect == kDvAspect16x9 ? AVRational{64, 45} : AVRational{16, 15};
}

SourcePicture DescribeSource(const AVStream& stream, const AVFrame& first)
{
    SourcePicture s;
    s.width = first.width;
    s.height = first.height;
    AVRational sar = first.sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0)
        sar = stream.sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0)
        sar = stream.codecpar->sample_aspect_ratio;
    if (sar.num > 0 && sar.den > 0)
        s.pixelAspect = sar;
    s.rotation = Rotation(stream);
    s.interlaced = first.interlaced_frame != 0 ||
                   (stream.codecpar->field_order != AV_FIELD_UNKNOWN &&
                    stream.codecpar->field_order != AV_FIELD_PROGRESSIVE);
    s.colorspace = first.colorspace;
    return s;
}

DvPicturePlace PlacePicture(double displayAspect, DvAspect aspect)
{
    const double pixel = av_q2d(DvPixelAspect(aspect));
    const double frame = kWidth * pixel / kHeight;
    DvPicturePlace place;
    if (!(displayAspect > 0) || std::fabs(displayAspect / frame - 1.0) < 0.02)
        return place;
    if (displayAspect > frame)
        place.height = std::min(kHeight, Even(kWidth * pixel / displayAspect));
    else
        place.width = std::min(kWidth, Even(kHeight * displayAspect / pixel));
    place.x = (kWidth - place.width) / 4 * 2;
    place.y = (kHeight - place.height) / 4 * 2;
    return place;
}

std::string DvPictureChain(const SourcePicture& source, DvAspect aspect)
{
    const bool turned = source.rotation == 90 || source.rotation == 270;
    const double shape = source.height > 0 ? source.width * av_q2d(source.pixelAspect) / source.height : 0;
    const DvPicturePlace place = PlacePicture(turned && shape > 0 ? 1.0 / shape : shape, aspect);
    const bool full = place.width == kWidth && place.height == kHeight;
    const bool scale = !(full && source.rotation == 0 && source.width == kWidth && source.height == kHeight);

    std::string chain;
    // Fields are woven into frames before the picture is scaled; a picture
    // that keeps its size keeps its fields.
    if (scale && source.interlaced)
        chain += "yadif=mode=send_frame:parity=auto:deint=interlaced,";
    // Frames are dropped or repeated first, so that no dropped frame is
    // scaled; frames before the start of the file are trimmed, a late
    // start is filled with the first frame.
    chain += "fps=fps=25:start_time=0,";
    if (scale) {
        // The colours are recoded after scaling, on the smaller picture:
        // swscale itself would recode them through an RGB picture.
        chain += Text("scale=w=%d:h=%d:flags=bicubic:out_range=tv,", turned ? place.height : place.width,
                      turned ? place.width : place.height);
        if (const char* matrix = ColourMatrix(source.colorspace, source.height))
            chain += std::string("colormatrix=src=") + matrix + ":dst=bt601,";
    }
    if (source.rotation == 90)
        chain += "transpose=dir=clock,";
    else if (source.rotation == 270)
        chain += "transpose=dir=cclock,";
    else if (source.rotation == 180)
        chain += "hflip,vflip,";
    if (!full)
        chain += Text("pad=w=%d:h=%d:x=%d:y=%d:color=black,", kWidth, kHeight, place.x, place.y);
    const AVRational pixel = DvPixelAspect(aspect);
    chain += Text("setsar=sar=%d/%d,format=pix_fmts=yuv420p", pixel.num, pixel.den);
    return chain;
}

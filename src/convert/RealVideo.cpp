#include "RealVideo.h"

#include <cstring>
#include <string_view>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

bool IsTextAsPicture(std::string_view demuxer, AVCodecID codec)
{
    for (const char* name : {"tty", "bin", "xbin", "adf", "idf"}) {
        if (demuxer == name)
            return true;
    }
    return codec == AV_CODEC_ID_ANSI || codec == AV_CODEC_ID_BINTEXT || codec == AV_CODEC_ID_XBIN ||
           codec == AV_CODEC_ID_IDF;
}

// The image demuxers: image2 (a picture file, or a numbered sequence of
// them), image2pipe and one "<codec>_pipe" demuxer per picture format.
bool IsStillPicture(std::string_view demuxer, const AVStream& stream)
{
    if ((stream.disposition & (AV_DISPOSITION_STILL_IMAGE | AV_DISPOSITION_ATTACHED_PIC)) != 0)
        return true;
    constexpr std::string_view kPipe = "_pipe";
    return demuxer == "image2" || demuxer == "image2pipe" ||
           (demuxer.size() > kPipe.size() && demuxer.substr(demuxer.size() - kPipe.size()) == kPipe);
}

} // namespace

bool IsRealVideo(const AVFormatContext& input, const AVStream& stream)
{
    if (input.iformat == nullptr || input.iformat->name == nullptr || stream.codecpar == nullptr ||
        stream.codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
        return false;
    // A demuxer's name may list several ("mov,mp4,m4a,3gp,3g2,mj2"): the
    // first says which it is.
    std::string_view demuxer = input.iformat->name;
    demuxer = demuxer.substr(0, demuxer.find(','));
    return !IsTextAsPicture(demuxer, stream.codecpar->codec_id) && !IsStillPicture(demuxer, stream);
}

#include "FfmpegPtr.h"

#include <string>

namespace ff {

Input OpenAvi(const std::string& path)
{
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi)
        return nullptr;
    // The "file:" prefix keeps a name with a colon from being taken for a
    // protocol.
    const std::string url = "file:" + path;
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, url.c_str(), avi, nullptr) < 0)
        return nullptr;
    return Input(ctx);
}

} // namespace ff

#include "FfmpegPtr.h"

#include <string>
#include <sys/stat.h>

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

Input OpenMedia(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const std::string url = "file:" + path;
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, url.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    Input input(ctx);
    if (avformat_find_stream_info(ctx, nullptr) < 0)
        return nullptr;
    return input;
}

} // namespace ff

// FFmpeg's log level and its lines in the diagnostic log.
#include "MediaLog.h"

#include "Log.h"

#include <cstdarg>
#include <mutex>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// FFmpeg hands a line over in pieces, from the decoders' threads too: the
// pieces are gathered until the line ends.
struct PendingLine {
    std::mutex mutex;
    std::string text;
    int printPrefix = 1;
};

PendingLine& Pending()
{
    // Never destroyed: a decoder thread may still speak while the program
    // ends.
    static PendingLine* pending = new PendingLine;
    return *pending;
}

void ToDiagnosticLog(void* context, int level, const char* format, va_list args)
{
    if (level > av_log_get_level() || !LogEnabled())
        return;
    PendingLine& pending = Pending();
    const std::lock_guard<std::mutex> lock(pending.mutex);
    char piece[1024];
    av_log_format_line2(context, level, format, args, piece, sizeof piece, &pending.printPrefix);
    pending.text += piece;
    std::size_t end = 0;
    while ((end = pending.text.find('\n')) != std::string::npos || pending.text.size() > 2048) {
        const std::string line = pending.text.substr(0, end);
        pending.text.erase(0, end == std::string::npos ? std::string::npos : end + 1);
        if (!line.empty())
            LogMessage("ffmpeg: %s", line.c_str());
    }
}

} // namespace

void RouteMediaLog()
{
    av_log_set_level(AV_LOG_WARNING);
    av_log_set_callback(ToDiagnosticLog);
}

CQuietMediaLog::CQuietMediaLog() : level_(av_log_get_level())
{
    av_log_set_level(AV_LOG_FATAL);
}

CQuietMediaLog::~CQuietMediaLog()
{
    av_log_set_level(level_);
}

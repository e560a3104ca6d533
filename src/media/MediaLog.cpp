// FFmpeg's log level.
#include "MediaLog.h"

extern "C" {
#include <libavutil/log.h>
}

void QuietMediaLog() { av_log_set_level(AV_LOG_ERROR); }

CQuietMediaLog::CQuietMediaLog() : level_(av_log_get_level())
{
    av_log_set_level(AV_LOG_FATAL);
}

CQuietMediaLog::~CQuietMediaLog()
{
    av_log_set_level(level_);
}

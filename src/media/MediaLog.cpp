// FFmpeg's log level.
#include "MediaLog.h"

extern "C" {
#include <libavutil/log.h>
}

void QuietMediaLog() { av_log_set_level(AV_LOG_ERROR); }

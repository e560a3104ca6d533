// FFmpeg's own diagnostics: into the diagnostic log, whole lines, never on
// the terminal.
#include "MediaLog.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

TEST(MediaLog, FfmpegLinesGoIntoTheDiagnosticLogAndNotOntoTheTerminal)
{
    CTempDir dir;
    SetSettingsPath(dir.File("tessaro.ini"));
    WriteProfileInt("Debug", "Log", 1);
    SetSettingsPath(dir.File("tessaro.ini"));
    RouteMediaLog();
    testing::internal::CaptureStderr();
    // A line handed over in pieces, as the decoders do, and a note below
    // the level kept.
    av_log(nullptr, AV_LOG_ERROR, "Invalid NAL unit size (%d > %d).", 3120, 1024);
    av_log(nullptr, AV_LOG_ERROR, "\n");
    av_log(nullptr, AV_LOG_VERBOSE, "a note nobody needs\n");
    av_log(nullptr, AV_LOG_WARNING, "partial file\n");
    const std::string terminal = testing::internal::GetCapturedStderr();
    av_log_set_callback(av_log_default_callback);
    SetSettingsPath("");

    std::ifstream in(dir.File("tessaro.log"));
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("", terminal);
    EXPECT_NE(std::string::npos, log.find(" - ffmpeg: Invalid NAL unit size (3120 > 1024).\n")) << log;
    EXPECT_NE(std::string::npos, log.find(" - ffmpeg: partial file\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("nobody")) << log;
}

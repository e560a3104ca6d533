// Where FFmpeg's own diagnostics go: into the program's diagnostic log
// (Log.h, when it is switched on), never onto the terminal, so that a user
// does not see demuxer and decoder notes ("Invalid NAL unit size", "partial
// file") between the program's messages.
#pragma once

// Sends FFmpeg's warnings and errors to the diagnostic log, each line as
// "ffmpeg: ..."; nothing of FFmpeg's reaches stderr any more. Both front
// ends call it at their start.
void RouteMediaLog();

// While one lives, FFmpeg says nothing short of a fatal error: for looking
// at files that may well not be media, whose complaints ("moov atom not
// found") would only confuse.
class CQuietMediaLog {
public:
    CQuietMediaLog();
    ~CQuietMediaLog();
    CQuietMediaLog(const CQuietMediaLog&) = delete;
    CQuietMediaLog& operator=(const CQuietMediaLog&) = delete;

private:
    int level_;
};

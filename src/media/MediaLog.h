// How loud FFmpeg's own diagnostics are. The front ends keep them to real
// errors so that a user does not see demuxer notes ("Switching to NI
// mode") between the program's messages.
#pragma once

// Lets only FFmpeg's error messages through (on stderr).
void QuietMediaLog();

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

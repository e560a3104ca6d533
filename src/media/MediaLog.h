// How loud FFmpeg's own diagnostics are. The front ends keep them to real
// errors so that a user does not see demuxer notes ("Switching to NI
// mode") between the program's messages.
#pragma once

// Lets only FFmpeg's error messages through (on stderr).
void QuietMediaLog();

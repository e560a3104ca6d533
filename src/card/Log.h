// The diagnostic log: when the setting Debug/Log is non-zero, every call
// appends one time-stamped line to the ".log" file beside the settings
// file, opening and closing the file each time. The setting is read by the
// first call after the settings were pointed at their file (once a run);
// after that a call that is switched off costs one test. Calls may come
// from any thread (FFmpeg's decoders log through it); lines never mix.
#pragma once

void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Whether LogMessage writes anything, for callers whose lines cost work to
// build.
bool LogEnabled();

// The diagnostic log: when the setting Debug/Log is non-zero, every call
// appends one time-stamped line to the ".log" file beside the settings
// file, opening and closing the file each time. The setting is read by the
// first call after the settings were pointed at their file (once a run);
// after that a call that is switched off costs one test.
#pragma once

void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

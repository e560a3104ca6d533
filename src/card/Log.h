// The diagnostic log: when the setting Debug/Log is non-zero, every call
// appends one time-stamped line to the ".log" file beside the settings
// file, opening and closing the file each time. Switched off, a call costs
// one flag test.
#pragma once

void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Forgets the setting read by the first call, so the next call reads it
// again (tests switch the log on and off within one process).
void ResetLogForTests();

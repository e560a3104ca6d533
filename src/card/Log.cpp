#include "Log.h"

#include "Paths.h"
#include "Settings.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The settings pointing the switch was read under; a new pointing (the
// program's start, a test's own settings) reads it again.
long long g_readUnder = -1;
bool g_enabled = false;
std::string g_path;
std::mutex g_mutex;

// Reads the switch again when the settings were pointed anew; g_mutex held.
void ReadSwitch()
{
    if (g_readUnder != SettingsPointings()) {
        g_enabled = GetProfileInt("Debug", "Log", 0) != 0;
        g_path = g_enabled ? ReplaceExtension(SettingsPath(), ".log") : std::string();
        g_readUnder = SettingsPointings();
    }
}

} // namespace

bool LogEnabled()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    ReadSwitch();
    return g_enabled;
}

void LogMessage(const char* format, ...)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    ReadSwitch();
    if (!g_enabled)
        return;

    // The line is built in a 768-byte buffer, as every message is short.
    char message[768];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    int fd = open(g_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // Others may read the log while it is written, but not write to it.
    flock(fd, LOCK_EX);
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char line[1024];
    int n = std::snprintf(line, sizeof line, "%02d.%02d.%04d %02d:%02d:%02d - %s\n", local.tm_mday,
                          local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                          local.tm_sec, message);
    if (n > 0) {
        std::size_t len = static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n)
                                                                    : sizeof line - 1;
        ssize_t w = write(fd, line, len);
        (void)w;
    }
    flock(fd, LOCK_UN);
    close(fd);
}

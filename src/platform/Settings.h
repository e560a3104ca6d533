// The settings file: an INI file (sections in brackets, key=value lines,
// integers as decimal text) read and written key by key. Other sections and
// keys in the file are kept. A missing file gives the defaults and is created
// by the first write.
#pragma once
#include <string>

// Points the settings functions at `path` (tests use their own file).
void SetSettingsPath(const std::string& path);
// How many times the settings have been pointed at a file: what was read
// from them before the last time belongs to another file, or another run.
unsigned SettingsPointings();
// The settings path in use: the one set, else the default beside the
// executable (see AppDataPath).
std::string SettingsPath();

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue);
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue);
// Both return false when the file could not be written.
bool WriteProfileInt(const std::string& section, const std::string& key, int value);
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

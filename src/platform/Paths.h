// Where the program's own files live: the executable's path, the settings
// and log files beside it (or in the user's configuration folder when the
// executable's folder is not writable), and the user's cache folder.
#pragma once
#include <string>

// Full path of the running executable (/proc/self/exe), empty when unknown.
std::string ExecutablePath();

// The executable's path with its extension replaced by `ext` (".ini",
// ".log") when its folder is writable and not a system folder; otherwise
// $XDG_CONFIG_HOME/tessaro/BASE`ext` (~/.config when unset), creating that
// folder.
std::string AppDataPath(const std::string& ext);

// True for the folders an installed program lives in (/usr/..., /bin,
// /sbin, /opt/...): settings and log never go there, even for root.
bool IsSystemFolder(const std::string& dir);

// `path` with its extension (after the last '.' of the file name) replaced
// by `ext`; `ext` appended when there is none.
std::string ReplaceExtension(const std::string& path, const std::string& ext);

// File name without folder and extension.
std::string BaseName(const std::string& path);
// File name with its extension, without folder.
std::string FileName(const std::string& path);

// $XDG_CACHE_HOME/tessaro (~/.cache/tessaro when unset), created when
// missing: where large working files go, never a RAM-backed /tmp. Empty
// when there is neither variable nor a home folder.
std::string CacheFolder();

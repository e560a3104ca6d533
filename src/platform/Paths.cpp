#include "Paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string ExecutablePath()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string ReplaceExtension(const std::string& path, const std::string& ext)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

std::string FileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BaseName(const std::string& path)
{
    std::string name = FileName(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

namespace {

void MakeDirs(const std::string& dir)
{
    for (std::size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/')
            mkdir(dir.substr(0, i).c_str(), 0755);
    }
}

} // namespace

bool IsSystemFolder(const std::string& dir)
{
    for (const char* root : {"/usr", "/bin", "/sbin", "/opt"}) {
        const std::string r = root;
        if (dir == r || dir.rfind(r + "/", 0) == 0)
            return true;
    }
    return false;
}

std::string AppDataPath(const std::string& ext)
{
    std::string exe = ExecutablePath();
    if (exe.empty())
        exe = "tessaro";
    std::size_t slash = exe.rfind('/');
    std::string dir = slash == std::string::npos ? "." : exe.substr(0, slash);
    // A program run from its build or unpacked folder keeps its files beside
    // it; an installed one (root can write to /usr/bin too) keeps them in
    // the user's configuration folder.
    if (!IsSystemFolder(dir) && access(dir.c_str(), W_OK) == 0)
        return ReplaceExtension(exe, ext);

    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    std::string folder = base + "/tessaro";
    MakeDirs(folder);
    return folder + "/" + BaseName(exe) + ext;
}

std::string CacheFolder()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        base = std::string(home) + "/.cache";
    else
        return std::string();
    const std::string folder = base + "/tessaro";
    MakeDirs(folder);
    return folder;
}

#include "StateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// Makes `dir` and its missing parents, private to the user.
bool MakeFolders(const std::string& dir)
{
    for (std::size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/')
            continue;
        const std::string part = dir.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string StateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/tessaro";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/state/tessaro";
    return "";
}

std::string CardStateFolder(const CardIdentity& id, bool create)
{
    const std::string key = id.Key();
    const std::string root = StateFolder();
    if (key.empty() || root.empty())
        return "";
    const std::string dir = root + "/cards/" + key;
    if (create && !MakeFolders(dir))
        return "";
    return dir;
}

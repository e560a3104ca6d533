#include "TempDir.h"

#include <cstdlib>
#include <filesystem>

CTempDir::CTempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && base[0] ? base : "/tmp") + "/tessaro-test-XXXXXX";
    if (char* made = mkdtemp(tmpl.data()))
        path_ = made;
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}
